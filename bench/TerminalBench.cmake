# Terminal library figures: round-trip latency with 1, 100 and 1000 terminals, refresh cost.
add_executable(bench_terminal ${CMAKE_CURRENT_LIST_DIR}/bench_terminal.cpp)
target_link_libraries(bench_terminal PRIVATE sc501ger vorn_terminal_client)
