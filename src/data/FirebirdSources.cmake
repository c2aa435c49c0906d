# Firebird connection, query and AbreConsulta of the data layer. fbclient is loaded at run time
# (dlopen), so nothing links against it; only its headers (firebird-dev) are needed.
target_sources(vorn_data PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/AbreConsulta.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Connection.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DatabaseError.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FbClient.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Query.cpp
)
