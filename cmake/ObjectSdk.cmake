# A controller's own object library, from its SDK folder TARWENDLE_OBJECT_SDK:
# one header per class in include/, the library in lib/ (shared preferred).
# Paths are taken as given, also in a cross build: the SDK need not lie in
# the sysroot.
set(sdk ${TARWENDLE_OBJECT_SDK})
foreach(class cObject cObjectPort cObjectAInput cObjectDInput cObjectDOutput cObjectList
              cObjectClient)
    if(NOT EXISTS ${sdk}/include/${class}.h)
        message(FATAL_ERROR "TARWENDLE_OBJECT_SDK: no ${sdk}/include/${class}.h")
    endif()
endforeach()
if(EXISTS ${sdk}/lib/libovtobj.so)
    set(sdk_library ${sdk}/lib/libovtobj.so)
    set(sdk_kind SHARED)
elseif(EXISTS ${sdk}/lib/libovtobj.a)
    set(sdk_library ${sdk}/lib/libovtobj.a)
    set(sdk_kind STATIC)
else()
    message(FATAL_ERROR "TARWENDLE_OBJECT_SDK: neither ${sdk}/lib/libovtobj.so nor libovtobj.a")
endif()
message(STATUS "Object library: ${sdk_library}")

# Imported, so its headers are system headers: their warnings are not ours.
# A shared library is linked as -L<dir> -lovtobj, never by its path: the
# program then needs it by its SONAME, or as libovtobj.so when it has none
# (vendors' SDKs often ship it so), instead of by a path on this machine.
add_library(tarwendle_object_library ${sdk_kind} IMPORTED)
set_target_properties(tarwendle_object_library PROPERTIES
    IMPORTED_LOCATION ${sdk_library}
    IMPORTED_NO_SONAME TRUE
    INTERFACE_INCLUDE_DIRECTORIES ${sdk}/include
    INTERFACE_LINK_LIBRARIES "${TARWENDLE_OBJECT_SDK_LIBS}")

# The controller's loader finds the library in its own folders: no run path
# into the SDK or the sysroot of the build machine, in the build tree either.
set(CMAKE_SKIP_RPATH ON)
