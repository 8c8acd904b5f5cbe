# quelvo_add_test(NAME <name> SOURCES <files...> [LIBS <targets...>] [QT])
#
# Builds one test executable and registers it with CTest under a pinned
# environment, so that results do not depend on the developer's locale, time
# zone or display. QT marks a QtTest window test (offscreen platform); the
# others are GoogleTest logic tests.
find_package(GTest REQUIRED)

function(quelvo_add_test)
    cmake_parse_arguments(ARG "QT" "NAME" "SOURCES;LIBS;ENV" ${ARGN})
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    target_link_libraries(${ARG_NAME} PRIVATE quelvo_options ${ARG_LIBS})
    target_include_directories(${ARG_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    set(env LANG=C.UTF-8 LC_ALL=C.UTF-8 TZ=Europe/Berlin QUELVO_DRY_RUN=1
            DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/quelvo-test-bus)
    if(ARG_QT)
        list(APPEND env QT_QPA_PLATFORM=offscreen)
        add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
    else()
        target_link_libraries(${ARG_NAME} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock)
        add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
    endif()
    list(APPEND env ${ARG_ENV})
    set_tests_properties(${ARG_NAME} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
endfunction()
