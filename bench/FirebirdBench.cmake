# Price-cache load from the real server: memory table against a bare client-API fetch loop.
add_executable(bench_price_load ${CMAKE_CURRENT_LIST_DIR}/bench_price_load.cpp)
target_link_libraries(bench_price_load PRIVATE vorn_data vorn_catalogue)
target_compile_definitions(bench_price_load PRIVATE VORN_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
