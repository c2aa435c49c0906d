# Shortcut creation (CriaAtalho) on the user's freedesktop folders.
target_sources(vorn_common PRIVATE ${CMAKE_CURRENT_LIST_DIR}/CriaAtalho.cpp)
