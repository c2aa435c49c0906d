# Tests of the Firebird connection and query against the private server that scripts/test starts
# (VORN_FB_* variables); without it they fail and say so.
add_library(vorn_test_firebird STATIC ${CMAKE_CURRENT_LIST_DIR}/FirebirdServer.cpp)
target_include_directories(vorn_test_firebird PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(vorn_test_firebird PUBLIC vorn_data)

vorn_add_test(NAME test_firebird_query
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_firebird_query.cpp
    LIBS vorn_test_firebird vorn_data)
vorn_add_test(NAME test_firebird_connection
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_firebird_connection.cpp
    LIBS vorn_test_firebird vorn_data)
vorn_add_test(NAME test_firebird_reconnect
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_firebird_reconnect.cpp
    LIBS vorn_test_firebird vorn_data)
