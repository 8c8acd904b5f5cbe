# Installation with the GNU directories, desktop integration and the Debian package.
#
#   ${libexecdir}/quelvo/    quelvo, quelvoctl, the companions, the machine's service quelvod
#                            and the marker "installed"
#   ${bindir}/               links to quelvo and quelvoctl there (the programs find their
#                            folder through /proc/self/exe, so it stays the private one)
#   ${datadir}/...           desktop entry, icons, AppStream metainfo, bash completion
#   ${mandir}/man1/          quelvo(1), quelvoctl(1)
#   the machine service:     lib/systemd/system/quelvo.service, its bus policy in
#                            ${datadir}/dbus-1/system.d/, quelvod(8), and root's empty /etc/quelvo

set(QUELVO_APP_ID org.example.quelvo)
set(QUELVO_DATA ${PROJECT_SOURCE_DIR}/data)
set(QUELVO_GENERATED ${PROJECT_BINARY_DIR}/data)
set(QUELVO_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/quelvo)

set(programs quelvoctl velmorshutdown velmorlogoff quelvod)
if(QUELVO_BUILD_UI)
    list(APPEND programs quelvo)
endif()
install(TARGETS ${programs} RUNTIME DESTINATION ${QUELVO_PROGRAM_DIR})
# Its presence makes every program of the folder keep the schedule per user, root included.
install(FILES ${QUELVO_DATA}/installed DESTINATION ${QUELVO_PROGRAM_DIR})

# Relative links, so that a package and a DESTDIR staging keep working wherever they land.
file(RELATIVE_PATH bin_to_program ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBEXECDIR}/quelvo)
set(linked quelvoctl)
if(QUELVO_BUILD_UI)
    list(APPEND linked quelvo)
endif()
foreach(name IN LISTS linked)
    install(CODE "
        set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
        file(MAKE_DIRECTORY \"\${bin}\")
        message(STATUS \"Installing: \${bin}/${name} -> ${bin_to_program}/${name}\")
        file(CREATE_LINK \"${bin_to_program}/${name}\" \"\${bin}/${name}\" SYMBOLIC)
        list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${name}\")")
endforeach()

# Files made at build time: compressed manual pages and changelog (gzip -n: no name or time
# inside, so two builds give the same bytes), icons rendered from the one drawing.
find_program(GZIP gzip REQUIRED)
set(generated)
foreach(page quelvo.1 quelvoctl.1 quelvod.8)
    configure_file(${QUELVO_DATA}/${page} ${QUELVO_GENERATED}/${page} @ONLY)
    add_custom_command(OUTPUT ${QUELVO_GENERATED}/${page}.gz
        COMMAND ${GZIP} -9nc ${QUELVO_GENERATED}/${page} > ${QUELVO_GENERATED}/${page}.gz
        DEPENDS ${QUELVO_GENERATED}/${page} VERBATIM)
    list(APPEND generated ${QUELVO_GENERATED}/${page}.gz)
    string(REGEX REPLACE ".*\\." "" section ${page})
    install(FILES ${QUELVO_GENERATED}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()

configure_file(${QUELVO_DATA}/changelog.in ${QUELVO_GENERATED}/changelog @ONLY)
add_custom_command(OUTPUT ${QUELVO_GENERATED}/changelog.gz
    COMMAND ${GZIP} -9nc ${QUELVO_GENERATED}/changelog > ${QUELVO_GENERATED}/changelog.gz
    DEPENDS ${QUELVO_GENERATED}/changelog VERBATIM)
list(APPEND generated ${QUELVO_GENERATED}/changelog.gz)
install(FILES ${QUELVO_GENERATED}/changelog.gz ${QUELVO_DATA}/copyright DESTINATION ${QUELVO_DOC_DIR})
install(FILES ${QUELVO_DATA}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME quelvo)

set(icon_sizes 16 22 24 32 48 64 128 256)
find_program(RSVG_CONVERT rsvg-convert)
if(RSVG_CONVERT)
    foreach(size IN LISTS icon_sizes)
        set(png ${QUELVO_GENERATED}/icons/${size}x${size}/quelvo.png)
        add_custom_command(OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${QUELVO_GENERATED}/icons/${size}x${size}
            COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${PROJECT_SOURCE_DIR}/src/ui/resources/quelvo.svg
            DEPENDS ${PROJECT_SOURCE_DIR}/src/ui/resources/quelvo.svg VERBATIM)
        list(APPEND generated ${png})
        install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
else()
    message(WARNING "rsvg-convert not found (Debian: librsvg2-bin): only the scalable icon is installed")
endif()
add_custom_target(quelvo_data ALL DEPENDS ${generated})

install(FILES ${PROJECT_SOURCE_DIR}/src/ui/resources/quelvo.svg
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
install(FILES ${QUELVO_DATA}/${QUELVO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${QUELVO_DATA}/${QUELVO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(FILES ${QUELVO_DATA}/quelvoctl.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions RENAME quelvoctl)

# The machine service. The unit goes where systemd looks under the prefix (/usr/lib/systemd/system
# for /usr), the bus policy where the system bus reads packages' policies.
install(FILES ${QUELVO_DATA}/quelvo.service DESTINATION lib/systemd/system)
install(FILES ${QUELVO_DATA}/org.example.quelvo.Machine.conf DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/dbus-1/system.d)
# root's configuration folder, which the unit names as writable and which therefore must exist:
# /etc for the prefix /usr, as GNUInstallDirs has it, otherwise etc/ inside the prefix. Decided at
# install time, so that a prefix given to `cmake --install` never reaches outside it.
install(CODE "
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
        set(etc \"\$ENV{DESTDIR}/etc/quelvo\")
    else()
        set(etc \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/etc/quelvo\")
    endif()
    message(STATUS \"Installing: \${etc}\")
    file(MAKE_DIRECTORY \"\${etc}\")")

# The Debian package: cmake --build --preset package --target package (make deb).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quelvo)
set(CPACK_PACKAGE_VENDOR "Velmor Software")
set(CPACK_PACKAGE_CONTACT "Velmor Software <quelvo@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "shut down or restart the computer at chosen times")
set(CPACK_PACKAGE_DESCRIPTION
    "Quelvo keeps a weekly schedule of shutdowns and restarts and carries them out\n"
    "after a ten-second countdown that can still be cancelled. It lives in the\n"
    "notification area, offers shutdown and reboot now or in 5 to 60 minutes, and\n"
    "comes with quelvoctl, a command-line tool for scripts and administrators.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quelvo.example.org")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Shutdown requests go to systemd-logind over D-Bus.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "systemd")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
# Enabling, stopping and purging the machine schedule's service.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${QUELVO_DATA}/postinst ${QUELVO_DATA}/prerm ${QUELVO_DATA}/postrm)
set(CPACK_STRIP_FILES TRUE)
include(CPack)
