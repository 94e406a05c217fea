# One place that sets the warnings of every target.
function(pos_set_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
        -Wnon-virtual-dtor -Woverloaded-virtual
        # Designated initializers name the members they set and leave the
        # rest to their defaults on purpose.
        -Wno-missing-field-initializers)
    if(POS_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# A GoogleTest executable: one per test file group, discovered by CTest.
# NO_MAIN: the sources bring their own main.
function(pos_add_test name)
    cmake_parse_arguments(ARG "NO_MAIN" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest)
    if(NOT ARG_NO_MAIN)
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    target_compile_definitions(${name} PRIVATE
        POS_TEST_DATA_DIR="${POS_TEST_DATA_DIR}")
    pos_set_warnings(${name})
    if(TARGET wine_prefix)
        add_dependencies(${name} wine_prefix) # discovery runs the program
    endif()
    if(POS_TEST_FIXTURES)
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                             PROPERTIES FIXTURES_REQUIRED "${POS_TEST_FIXTURES}")
    else()
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
    endif()
endfunction()

# A widget test: GoogleTest with a QApplication on the offscreen platform.
function(pos_add_qt_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    pos_add_test(${name} NO_MAIN
        SOURCES ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/ui/tests/QtTestMain.cpp
        LIBS ${ARG_LIBS} Qt6::Widgets Qt6::Test)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/ui/tests)
endfunction()
