# Debian packages: `cpack -G DEB` in a build configured with prefix /usr
# (the scripts/package-* commands do it). Two packages: the service, and the
# simulator, which a controller does not need since it has the real object
# service.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarwendle)
set(CPACK_PACKAGE_VENDOR "tarwendle developers")
set(CPACK_PACKAGE_CONTACT "${TARWENDLE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)

set(CPACK_DEB_COMPONENT_INSTALL ON)
if(TARWENDLE_OBJECT_SDK)
    set(CPACK_COMPONENTS_ALL service)
else()
    set(CPACK_COMPONENTS_ALL service objsim)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# The toolchain file names the target's architecture; a native build asks dpkg.
if(NOT CPACK_DEBIAN_PACKAGE_ARCHITECTURE)
    execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()

# Dependencies are written out rather than computed: dpkg-shlibdeps only knows
# the host's installed libraries, not a cross target's. The versions are the
# lowest that provide the symbol versions the programs use; scripts/package-deb
# fails when a build needs newer ones. 32-bit ARM unwinding needs GCC_3.5.
if(CPACK_DEBIAN_PACKAGE_ARCHITECTURE STREQUAL armhf)
    set(libgcc_version 3.5)
else()
    set(libgcc_version 3.0)
endif()
set(TARWENDLE_RUNTIME_DEPENDS "libc6 (>= 2.34), libgcc-s1 (>= ${libgcc_version}), libstdc++6 (>= 11)")

set(CPACK_DEBIAN_SERVICE_PACKAGE_NAME tarwendle)
set(CPACK_DEBIAN_SERVICE_PACKAGE_DEPENDS
    "${TARWENDLE_RUNTIME_DEPENDS}, liblog4cpp5v5 (>= 1.1.3), adduser")
set(CPACK_DEBIAN_SERVICE_PACKAGE_CONTROL_EXTRA ${TARWENDLE_DEB_CONTROL_EXTRA})
set(CPACK_COMPONENT_SERVICE_DESCRIPTION "Relay output controller for embedded controllers
Drives one digital output from digital and analog inputs and weekly time
windows, read through the controller's local object service.")

set(CPACK_DEBIAN_OBJSIM_PACKAGE_NAME tarwendle-objsim)
set(CPACK_DEBIAN_OBJSIM_PACKAGE_DEPENDS "${TARWENDLE_RUNTIME_DEPENDS}")
set(CPACK_COMPONENT_OBJSIM_DESCRIPTION "Object service simulator for tarwendle
Answers tarwendle's requests from a state file, for development,
demonstrations and tests; not for controllers.")

include(CPack)
