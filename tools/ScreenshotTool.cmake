# vorn-screenshots: the pictures of the server window and its dialogs in docs/screenshots, taken
# by scripts/screenshots.
add_executable(vorn-screenshots ${CMAKE_CURRENT_LIST_DIR}/vorn_screenshots.cpp)
target_link_libraries(vorn-screenshots PRIVATE vorn_app vorn_terminal_client)
