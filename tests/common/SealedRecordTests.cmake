vorn_add_test(NAME test_sealed_record
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_sealed_record.cpp
    LIBS vorn_common)
