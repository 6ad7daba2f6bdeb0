# 32-bit ARM (Debian armhf): cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-armhf.cmake
#                                  -DTARWENDLE_SYSROOT=<folder from cmake/make-sysroot armhf>
set(CMAKE_SYSTEM_PROCESSOR arm)
set(TARWENDLE_TRIPLET arm-linux-gnueabihf)
set(TARWENDLE_DEB_ARCH armhf)
set(TARWENDLE_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/cross-debian.cmake)
