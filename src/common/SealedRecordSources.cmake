target_sources(vorn_common PRIVATE ${CMAKE_CURRENT_LIST_DIR}/SealedRecord.cpp)
