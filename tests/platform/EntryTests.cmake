# The program entry's pieces. The probe is the second process of the guard, signal and
# program-folder tests.
add_executable(vorn_entry_probe ${CMAKE_CURRENT_LIST_DIR}/entry_probe.cpp)
target_link_libraries(vorn_entry_probe PRIVATE vorn_platform)
set_target_properties(vorn_entry_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)

vorn_add_test(NAME test_entry
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/test_program_folder.cpp
        ${CMAKE_CURRENT_LIST_DIR}/test_quit_signals.cpp
        ${CMAKE_CURRENT_LIST_DIR}/test_remote_session.cpp
        ${CMAKE_CURRENT_LIST_DIR}/test_single_instance_guard.cpp
        ${CMAKE_CURRENT_LIST_DIR}/test_user_folders.cpp
    LIBS vorn_platform Qt6::Test
    QT)
target_include_directories(test_entry PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_compile_definitions(test_entry PRIVATE VORN_ENTRY_PROBE="$<TARGET_FILE:vorn_entry_probe>")
add_dependencies(test_entry vorn_entry_probe)
