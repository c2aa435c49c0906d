vorn_add_test(NAME test_cria_atalho
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_cria_atalho.cpp
    LIBS vorn_common Qt6::Test
    QT)
target_include_directories(test_cria_atalho PRIVATE ${PROJECT_SOURCE_DIR}/tests)
