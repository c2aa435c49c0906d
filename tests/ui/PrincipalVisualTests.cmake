# The server window's look: grid painting, titles, widths and tabs on real widgets offscreen.
vorn_add_test(NAME test_PintaCelulaGrid
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_PintaCelulaGrid.cpp
        ${CMAKE_CURRENT_LIST_DIR}/DialogTestSupport.h
    LIBS vorn_ui Qt6::Test
    QT)
target_include_directories(test_PintaCelulaGrid PRIVATE ${PROJECT_SOURCE_DIR}/tests)

# The design on the real server window, started on the fixture database.
vorn_add_test(NAME test_PrincipalVisual
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_PrincipalVisual.cpp
        ${PROJECT_SOURCE_DIR}/tests/app/ServerFolder.cpp
    LIBS vorn_app Qt6::Test
    QT)
target_include_directories(test_PrincipalVisual PRIVATE ${PROJECT_SOURCE_DIR}/tests
    ${PROJECT_SOURCE_DIR}/tests/app)
