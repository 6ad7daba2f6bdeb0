# 64-bit ARM (Debian arm64): cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-arm64.cmake
#                                  -DTARWENDLE_SYSROOT=<folder from cmake/make-sysroot arm64>
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(TARWENDLE_TRIPLET aarch64-linux-gnu)
set(TARWENDLE_DEB_ARCH arm64)
set(TARWENDLE_QEMU qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/cross-debian.cmake)
