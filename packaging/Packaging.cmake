# Packages made by CPack from the install rules (app/CMakeLists.txt): for Windows a ZIP
# that holds Nodrell.exe alone, for Linux a tarball of the installed tree.
#     cpack --config <build>/CPackConfig.cmake

set(CPACK_PACKAGE_NAME Nodrell)
set(CPACK_PACKAGE_VENDOR "Marwood Tools")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Switches the computer off at a time of day")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
if(WIN32)
    set(CPACK_GENERATOR ZIP)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(CPACK_SYSTEM_NAME win64)
    else()
        set(CPACK_SYSTEM_NAME win32)
    endif()
    # No folder around the program: unpacking gives Nodrell.exe itself.
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
    set(CPACK_GENERATOR TGZ)
endif()
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
