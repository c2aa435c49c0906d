vorn_add_test(NAME test_CapturaTela
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_CapturaTela.cpp
    LIBS vorn_common
    QT)
target_include_directories(test_CapturaTela PRIVATE ${PROJECT_SOURCE_DIR}/tests)
