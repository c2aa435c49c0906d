# The server window's look: grid painting (PintaCelulaGrid), grid titles and widths, gradient
# tabs, fonts and painted panels.
target_sources(vorn_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/AparenciaPrincipal.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GradeVisual.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PaginasGradiente.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PintaCelulaGrid.cpp
)
