# Memory-table figures: search, filter, sort and copy at price-cache sizes.
find_package(benchmark REQUIRED)
add_executable(memtable_bench ${CMAKE_CURRENT_LIST_DIR}/MemTableBench.cpp)
target_link_libraries(memtable_bench PRIVATE vorn_data benchmark::benchmark)
