add_executable(vorn-dados ${CMAKE_CURRENT_LIST_DIR}/vorn_dados.cpp)
target_link_libraries(vorn-dados PRIVATE vorn_common)
