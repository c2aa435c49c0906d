vorn_add_test(NAME test_memtable
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_memtable.cpp
            ${CMAKE_CURRENT_LIST_DIR}/test_memtable_filter.cpp
    LIBS vorn_data)
