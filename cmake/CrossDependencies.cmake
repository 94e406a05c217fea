# The libraries a cross build takes from the build machine's Debian packages,
# built or used for the target; nothing is downloaded.

# nlohmann-json is header-only: its headers serve the target as they are.
# They are reached through a folder of their own, so that no other header of
# the build machine's /usr/include can stand in for the target's.
find_path(POS_NLOHMANN_JSON_INCLUDE nlohmann/json.hpp
    PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT POS_NLOHMANN_JSON_INCLUDE)
    message(FATAL_ERROR "nlohmann/json.hpp not found: install nlohmann-json3-dev")
endif()
set(POS_HEADERS_ONLY_DIR ${CMAKE_BINARY_DIR}/header-only)
file(MAKE_DIRECTORY ${POS_HEADERS_ONLY_DIR})
file(CREATE_LINK ${POS_NLOHMANN_JSON_INCLUDE}/nlohmann ${POS_HEADERS_ONLY_DIR}/nlohmann SYMBOLIC)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${POS_HEADERS_ONLY_DIR})

# GoogleTest compiled for the target from the sources of libgtest-dev; it
# brings the targets GTest::gtest and GTest::gtest_main.
if(POS_BUILD_TESTS)
    set(POS_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest's sources")
    if(NOT EXISTS ${POS_GTEST_SOURCE_DIR}/CMakeLists.txt)
        message(FATAL_ERROR "${POS_GTEST_SOURCE_DIR} holds no GoogleTest: install libgtest-dev")
    endif()
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${POS_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

# The Wine prefix the tests run in, made once per build tree before the first
# test program runs (gtest_discover_tests runs each one as it is built).
if(CMAKE_CROSSCOMPILING_EMULATOR AND POS_WINE_PREFIX)
    add_custom_command(OUTPUT ${POS_WINE_PREFIX}.made
        COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} wineboot --init
        COMMAND ${CMAKE_COMMAND} -E touch ${POS_WINE_PREFIX}.made
        COMMENT "Making the Wine prefix ${POS_WINE_PREFIX}"
        VERBATIM)
    add_custom_target(wine_prefix ALL DEPENDS ${POS_WINE_PREFIX}.made)
endif()

# The tests' Wine session, a CTest fixture that every test of the build needs
# (POS_TEST_FIXTURES): one Wine server for all of them, kept for a minute
# after the last program ends, with Wine's background processes (services,
# devices) started once with no output of their own. Otherwise each program
# starts them anew, and they keep the program's output open until the server
# ends, seconds after it. Nothing of the session may hold the output of the
# test that starts it, or CTest would wait for the server's end.
function(pos_add_wine_session)
    if(NOT CMAKE_CROSSCOMPILING_EMULATOR OR NOT POS_WINESERVER)
        return()
    endif()
    list(JOIN POS_WINE_ENV " " wine_env)
    add_test(NAME wine.session_start
        COMMAND sh -c "{ ${wine_env} ${POS_WINESERVER} -p60 && ${wine_env} ${POS_WINE64} wineboot; } </dev/null >/dev/null 2>&1")
    add_test(NAME wine.session_end COMMAND sh -c "${wine_env} ${POS_WINESERVER} -k || true")
    set_tests_properties(wine.session_start PROPERTIES FIXTURES_SETUP wine_session)
    set_tests_properties(wine.session_end PROPERTIES FIXTURES_CLEANUP wine_session)
    set(POS_TEST_FIXTURES wine_session PARENT_SCOPE)
endfunction()
