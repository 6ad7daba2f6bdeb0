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
elseif(EXISTS ${sdk}/lib/libovtobj.a)
    set(sdk_library ${sdk}/lib/libovtobj.a)
else()
    message(FATAL_ERROR "TARWENDLE_OBJECT_SDK: neither ${sdk}/lib/libovtobj.so nor libovtobj.a")
endif()
message(STATUS "Object library: ${sdk_library}")

# Imported, so its headers are system headers: their warnings are not ours.
add_library(tarwendle_object_library UNKNOWN IMPORTED)
set_target_properties(tarwendle_object_library PROPERTIES
    IMPORTED_LOCATION ${sdk_library}
    INTERFACE_INCLUDE_DIRECTORIES ${sdk}/include
    INTERFACE_LINK_LIBRARIES "${TARWENDLE_OBJECT_SDK_LIBS}")
