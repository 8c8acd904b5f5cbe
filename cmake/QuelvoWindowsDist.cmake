# The Windows edition as it is handed out (target windows-dist, part of the windows build):
#   dist/quelvo-<version>-win64.zip        portable: the four programs, README.txt, LICENSE.txt and the
#                                          Group Policy templates in policy\ (as PolicyDefinitions
#                                          holds them)
#   dist/quelvo-<version>-win64-setup.exe  the NSIS installer (data/windows/quelvo.nsi), when
#                                          makensis is installed
#   dist/quelvo-<version>-win64.msi        the Windows Installer package for fleets
#                                          (data/windows/quelvo.wxs.in), when wixl is installed
set(QUELVO_DIST_NAME quelvo-${PROJECT_VERSION}-win64)
set(QUELVO_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
set(stage ${QUELVO_DIST_DIR}/${QUELVO_DIST_NAME})

# The texts with Windows line ends, so Notepad shows them as they are.
configure_file(${PROJECT_SOURCE_DIR}/data/windows/README.txt ${CMAKE_BINARY_DIR}/dist-texts/README.txt
               @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/data/copyright ${CMAKE_BINARY_DIR}/dist-texts/LICENSE.txt
               @ONLY NEWLINE_STYLE CRLF)

set(programs quelvo quelvoctl velmorshutdown velmorlogoff)
# The machine's service, which the installer (for all users) and the MSI install and start.
option(QUELVO_SHIP_MACHINE_SERVICE "Put quelvosvc.exe into the zip, the installer and the MSI" ON)
set(ship_service OFF)
if(TARGET quelvosvc AND QUELVO_SHIP_MACHINE_SERVICE)
    set(ship_service ON)
    list(APPEND programs quelvosvc)
endif()
set(copies)
foreach(program IN LISTS programs)
    list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${program}> ${stage}/)
endforeach()

# The templates as the repository keeps them, which a test of the Linux build keeps equal to the
# policy table's: no generator has to run under Wine here.
set(policy_admx ${PROJECT_SOURCE_DIR}/data/windows/policy/quelvo.admx)
set(policy_adml ${PROJECT_SOURCE_DIR}/data/windows/policy/en-US/quelvo.adml)

set(zip ${QUELVO_DIST_DIR}/${QUELVO_DIST_NAME}.zip)
add_custom_command(
    OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage} ${zip}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
    ${copies}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/dist-texts/README.txt
            ${CMAKE_BINARY_DIR}/dist-texts/LICENSE.txt ${stage}/
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/policy/en-US
    COMMAND ${CMAKE_COMMAND} -E copy ${policy_admx} ${stage}/policy/
    COMMAND ${CMAKE_COMMAND} -E copy ${policy_adml} ${stage}/policy/en-US/
    COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip ${QUELVO_DIST_NAME}
    WORKING_DIRECTORY ${QUELVO_DIST_DIR}
    DEPENDS ${programs} ${CMAKE_BINARY_DIR}/dist-texts/README.txt ${CMAKE_BINARY_DIR}/dist-texts/LICENSE.txt
            ${policy_admx} ${policy_adml}
    COMMENT "Packing ${QUELVO_DIST_NAME}.zip"
    VERBATIM)
set(outputs ${zip})

find_program(QUELVO_MAKENSIS makensis)
if(QUELVO_MAKENSIS)
    set(QUELVO_SETUP ${QUELVO_DIST_DIR}/${QUELVO_DIST_NAME}-setup.exe)
    set(service_define)
    if(ship_service)
        set(service_define -DMACHINE_SERVICE)
    endif()
    add_custom_command(
        OUTPUT ${QUELVO_SETUP}
        COMMAND ${QUELVO_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DSTAGE=${stage} -DOUTFILE=${QUELVO_SETUP}
                ${service_define}
                ${PROJECT_SOURCE_DIR}/data/windows/quelvo.nsi
        DEPENDS ${zip} ${PROJECT_SOURCE_DIR}/data/windows/quelvo.nsi
        COMMENT "Making ${QUELVO_DIST_NAME}-setup.exe"
        VERBATIM)
    list(APPEND outputs ${QUELVO_SETUP})
else()
    message(STATUS "makensis not found: windows-dist makes the zip only")
endif()

find_program(QUELVO_WIXL wixl)
if(QUELVO_WIXL)
    set(QUELVO_MSI ${QUELVO_DIST_DIR}/${QUELVO_DIST_NAME}.msi)
    # wixl takes its sources relative to the folder it runs in: the stage.
    set(icon ${CMAKE_BINARY_DIR}/src/ui/win32/pictures/quelvo.ico)
    file(RELATIVE_PATH QUELVO_MSI_ICON ${stage} ${icon})
    set(QUELVO_WXS ${CMAKE_BINARY_DIR}/dist-texts/quelvo.wxs)
    configure_file(${PROJECT_SOURCE_DIR}/data/windows/quelvo.wxs.in ${QUELVO_WXS} @ONLY)
    set(msi_service_define)
    if(ship_service)
        set(msi_service_define -D QuelvoService=1)
    endif()
    add_custom_command(
        OUTPUT ${QUELVO_MSI}
        COMMAND ${QUELVO_WIXL} -a x64 ${msi_service_define} -o ${QUELVO_MSI} ${QUELVO_WXS}
        WORKING_DIRECTORY ${stage}
        DEPENDS ${zip} ${QUELVO_WXS} ${icon}
        COMMENT "Making ${QUELVO_DIST_NAME}.msi"
        VERBATIM)
    list(APPEND outputs ${QUELVO_MSI})
else()
    message(STATUS "wixl not found: windows-dist makes no MSI")
endif()
# What is handed out stays small: the service, static and stripped, at most 1 MiB; the MSI, all
# programs in it, at most 3 MiB.
set(limits)
if(ship_service)
    list(APPEND limits $<TARGET_FILE:quelvosvc>=1048576)
endif()
if(QUELVO_WIXL)
    list(APPEND limits ${QUELVO_MSI}=3145728)
endif()
add_custom_target(windows-dist ALL DEPENDS ${outputs})
if(limits)
    add_custom_command(TARGET windows-dist POST_BUILD
        COMMAND ${CMAKE_COMMAND} "-DLIMITS=${limits}" -P ${PROJECT_SOURCE_DIR}/cmake/QuelvoSizeCheck.cmake
        VERBATIM)
endif()
