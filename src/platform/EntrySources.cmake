# What the program entry and the start-up need: single-instance guard, remote-session query,
# clean stop on signals, program folder, the user's folders.
target_sources(vorn_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ProgramFolder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QuitSignals.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RemoteSession.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SingleInstanceGuard.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UserFolders.cpp
)
