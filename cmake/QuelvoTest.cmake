# quelvo_add_test(NAME <name> SOURCES <files...> [LIBS <targets...>] [QT])
#
# Builds one test executable and registers it with CTest under a pinned
# environment, so that results do not depend on the developer's locale, time
# zone or display. QT marks a QtTest window test (offscreen platform); the
# others are GoogleTest logic tests.
if(CMAKE_CROSSCOMPILING)
    # No GoogleTest is packaged for the cross compiler: build Debian's source package
    # (googletest, /usr/src/googletest) with it, never downloading anything; it names its
    # targets GTest::gtest and so on itself.
    set(QUELVO_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${QUELVO_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # Every run under Wine copies its private prefix from this template (cmake/wine-run.sh).
    set(QUELVO_TEST_ENV QUELVO_WINE_TEMPLATE=${CMAKE_BINARY_DIR}/wine-template)
else()
    find_package(GTest REQUIRED)
    set(QUELVO_TEST_ENV)
endif()

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
    list(APPEND env ${ARG_ENV} ${QUELVO_TEST_ENV})
    set_tests_properties(${ARG_NAME} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
endfunction()
