# vorn_add_test(NAME <name> SOURCES <files...> LIBS <libs...> [QT])
# One GoogleTest executable per unit; QT gives it a main that creates a QApplication on the
# offscreen platform, for tests of code that needs Qt widgets or message boxes.
function(vorn_add_test)
    cmake_parse_arguments(T "QT" "NAME" "SOURCES;LIBS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    if(T_QT)
        target_link_libraries(${T_NAME} PRIVATE vorn_test_qtmain)
    else()
        target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
    endif()
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} vorn_test_support GTest::gtest)
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    # Where the built programs are, for tests that run them.
    target_compile_definitions(${T_NAME} PRIVATE VORN_TEST_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
    gtest_discover_tests(${T_NAME}
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
        TIMEOUT 300)
endfunction()
