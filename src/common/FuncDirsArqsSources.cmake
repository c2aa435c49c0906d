# File and folder utilities (TFuncDirArq).
target_sources(vorn_common PRIVATE ${CMAKE_CURRENT_LIST_DIR}/uFuncDirsArqs.cpp)
