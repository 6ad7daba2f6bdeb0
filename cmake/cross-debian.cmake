# Common part of the cross toolchains: Debian's cross compiler for
# TARWENDLE_TRIPLET, and the target's libraries unpacked into
# TARWENDLE_SYSROOT by cmake/make-sysroot. The compiler keeps its own C
# library (/usr/<triplet>); the sysroot adds log4cpp, GoogleTest and the JSON
# headers, and is the root qemu-user runs the tests in.
if(NOT TARWENDLE_SYSROOT)
    message(FATAL_ERROR "Set TARWENDLE_SYSROOT to a folder made by cmake/make-sysroot")
endif()
# try_compile projects read this file again: hand the settings on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TARWENDLE_SYSROOT)

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${TARWENDLE_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${TARWENDLE_TRIPLET}-g++)

set(CMAKE_FIND_ROOT_PATH ${TARWENDLE_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_LIBRARY_ARCHITECTURE ${TARWENDLE_TRIPLET})

# pkg-config must see the target's .pc files only, with paths moved into the sysroot.
set(ENV{PKG_CONFIG_LIBDIR}
    "${TARWENDLE_SYSROOT}/usr/lib/${TARWENDLE_TRIPLET}/pkgconfig:${TARWENDLE_SYSROOT}/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${TARWENDLE_SYSROOT})
set(ENV{PKG_CONFIG_PATH} "")

# The sysroot's libraries need each other at link time (log4cpp needs libstdc++).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,-rpath-link,${TARWENDLE_SYSROOT}/usr/lib/${TARWENDLE_TRIPLET}")

# GCC notes on 32-bit ARM that std::map's argument passing changed in GCC 7:
# an ABI remark about other compilers' objects, not about this code.
set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")

# Test programs (and gtest_discover_tests) run under qemu-user in the sysroot.
set(CMAKE_CROSSCOMPILING_EMULATOR ${TARWENDLE_QEMU} -L ${TARWENDLE_SYSROOT})

# The package's architecture, for CPack.
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${TARWENDLE_DEB_ARCH})
