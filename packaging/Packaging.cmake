# Packages made by CPack from the install rules (app/CMakeLists.txt): for Windows a ZIP
# that holds Nodrell.exe alone, for Linux a Debian package.
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
    # nodrell_<version>_<architecture>.deb, installed below /usr. The install rules put the
    # configuration of a /usr install into /etc, so the prefix has to be /usr while they
    # run: the package's tree is gathered through DESTDIR.
    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_SET_DESTDIR ON)
    set(CPACK_INSTALL_PREFIX /usr)
    set(CPACK_PACKAGE_CONTACT "Ilse Marwood <ilse@nodrell.example.org>")
    set(CPACK_PACKAGE_HOMEPAGE_URL https://nodrell.example.org/)
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    # Lines as the control file shows them; an empty line separates paragraphs.
    set(CPACK_PACKAGE_DESCRIPTION [[
Nodrell is a small window that switches the computer off at a time of day
that you type in. Enter hours, minutes and seconds and press Start: it counts
down to the next time the clock shows that time, then switches the computer
off at once, without asking for confirmation, so work that other programs
have not saved may be lost. Stop ends the countdown at any time before then.

The System Info button of its About window starts the system information
viewer that /etc/xdg/nodrell/machine.reg names, hardinfo unless that file is
changed.
]])
    # The libraries the program links, as dpkg-shlibdeps finds them in the binary.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    # The viewer that machine.reg names, and the desktop's opener for the home page.
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hardinfo, xdg-utils")
    # dpkg keeps an administrator's changes to the registry file through upgrades.
    set(conffiles ${PROJECT_BINARY_DIR}/packaging/conffiles)
    file(WRITE ${conffiles} "/etc/xdg/nodrell/machine.reg\n")
    set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${conffiles})
    set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
