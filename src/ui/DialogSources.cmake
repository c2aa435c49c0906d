# Dialogs and controls: message dialog (TFMsg), numeric edit (TMeuEdit), field appearance and
# keyboard helpers, progress window (TFProgressos) and data module (TDMP).
target_sources(vorn_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/AparenciaCampos.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CapsLockX11.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EventGuard.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MeuEdit.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Msg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MsgComponentes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Progressos.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DataModP.h
)
target_link_libraries(vorn_ui PRIVATE X11)
