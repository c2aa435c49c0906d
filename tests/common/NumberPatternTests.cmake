vorn_add_test(NAME test_number_pattern
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_number_pattern.cpp
    LIBS vorn_common)
