# Memory tables and their filter expressions.
target_sources(vorn_data PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/MemTable.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MemTable.h
    ${CMAKE_CURRENT_LIST_DIR}/FilterExpression.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FilterExpression.h)
