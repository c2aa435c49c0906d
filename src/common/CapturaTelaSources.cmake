# Screen capture (CapturaTela) into a JPEG file and the clipboard.
target_sources(vorn_common PRIVATE ${CMAKE_CURRENT_LIST_DIR}/CapturaTela.cpp)
