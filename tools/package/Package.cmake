# Installation and the Debian package.
#
# `cmake --install` lays the program out as it runs from the build: the
# executable with img/, alarm/, hlp/ and db/Korvane.db3 beside it, under
# CMAKE_INSTALL_PREFIX (default /opt/korvane-direct); the desktop entry, the
# icons and a launcher go under KORVANE_SYSTEM_PREFIX (default /usr).
#
# The package never ships Config.ini or db/Korvane.db3 themselves, so that
# upgrading or removing it leaves the operators' settings and logs alone: it
# ships share/Korvane.db3 as a template, and its postinst makes the two files
# when they are missing and gives them to the operators' group.

if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
    set(CMAKE_INSTALL_PREFIX /opt/korvane-direct CACHE PATH "Folder of the installed program" FORCE)
endif()
set(KORVANE_SYSTEM_PREFIX /usr CACHE PATH "Where the launcher, desktop entry and icons go")
set(KORVANE_INSTALL_DIR ${CMAKE_INSTALL_PREFIX})

install(TARGETS korvane-direct RUNTIME DESTINATION .)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/assets/img ${CMAKE_SOURCE_DIR}/assets/alarm
                  ${CMAKE_SOURCE_DIR}/assets/hlp
        DESTINATION .)
install(DIRECTORY DESTINATION db)
install(FILES ${KORVANE_BUNDLE_DIR}/db/Korvane.db3 DESTINATION share)
# A plain `cmake --install` puts the database in place unless one is there
# already; a package's staging (DESTDIR) leaves that to the postinst.
install(CODE "
    set(db \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/db/Korvane.db3\")
    if(\"\$ENV{DESTDIR}\" STREQUAL \"\" AND NOT EXISTS \"\${db}\")
        message(STATUS \"Installing: \${db}\")
        file(COPY_FILE \"\${CMAKE_INSTALL_PREFIX}/share/Korvane.db3\" \"\${db}\")
    endif()")

# The launcher names the folder chosen at install time (--prefix included).
install(CODE "
    set(KORVANE_INSTALL_DIR \"\${CMAKE_INSTALL_PREFIX}\")
    set(launcher \"\$ENV{DESTDIR}${KORVANE_SYSTEM_PREFIX}/bin/korvane-direct\")
    message(STATUS \"Installing: \${launcher}\")
    configure_file(\"${CMAKE_SOURCE_DIR}/tools/package/korvane-direct.sh.in\" \"\${launcher}\" @ONLY)
    file(CHMOD \"\${launcher}\" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
         GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)")
install(FILES ${CMAKE_SOURCE_DIR}/assets/desktop/korvane-direct.desktop
        DESTINATION ${KORVANE_SYSTEM_PREFIX}/share/applications)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/assets/icons/hicolor
        DESTINATION ${KORVANE_SYSTEM_PREFIX}/share/icons)

foreach(script postinst postrm)
    configure_file(${CMAKE_SOURCE_DIR}/tools/package/${script}
                   ${CMAKE_BINARY_DIR}/package/${script} @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvane-direct)
set(CPACK_PACKAGE_VENDOR "Korvane")
set(CPACK_PACKAGE_CONTACT "Korvane <soporte@korvane.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "SCADA screen for a Zelio Logic controller on a serial line")
set(CPACK_PACKAGE_DESCRIPTION
    "Korvane Direct polls one Zelio Logic controller running the Macro Dravik over\n\
a serial line, shows its inputs as lamps and its analog values as scaled\n\
numbers over a plant picture, pulses its outputs, logs to SQLite, prints\n\
reports, sounds an alarm and sends e-mail notices. The user interface is in\n\
Spanish.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION}.0)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.korvane.com/")
# The libraries come from what the executable actually links (dpkg-shlibdeps);
# the fonts are named by the windows (Arial and Verdana take Liberation's
# metric-compatible faces) and the maintainer scripts need adduser.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-dejavu-core, adduser")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_BINARY_DIR}/package/postinst ${CMAKE_BINARY_DIR}/package/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
