vorn_add_test(NAME test_uFuncDirsArqs
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_uFuncDirsArqs.cpp
    LIBS vorn_common)
target_include_directories(test_uFuncDirsArqs PRIVATE ${PROJECT_SOURCE_DIR}/tests)
