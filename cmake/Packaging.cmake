# The Debian package vorn-rarud-erevur_<version>_amd64.deb (scripts/package builds it):
#   /opt/vorn-rarud-erevur/            the program folder: bpvorn, libsc501ger.so and the settings
#                                      files, root:vorn 2775 (set by the maintainer scripts)
#   /usr/bin/bpvorn                    a link to the executable, for `bpvorn --version`
#   /usr/lib/systemd/user/             the headless service, vorn-rarud-erevur.service
#   /usr/share/applications/           the desktop entry
#   /usr/share/icons/hicolor/scalable/apps/vorn-rarud-erevur.svg
#   /usr/share/vorn-rarud-erevur/      the template of sc501ger.ini that postinst copies once
#   /usr/share/doc/vorn-rarud-erevur/  the technician's guide and an example Conexao.ini
# The program looks for every settings file beside its executable, so the folder must be
# writable by the users who run it: they join the system group vorn.

set(VORN_PACKAGE_NAME vorn-rarud-erevur)
set(VORN_PROGRAM_FOLDER /opt/${VORN_PACKAGE_NAME})
set(VORN_TEMPLATE_FOLDER /usr/share/${VORN_PACKAGE_NAME})
set(VORN_GROUP vorn)
set(vorn_packaging_dir ${PROJECT_SOURCE_DIR}/packaging)
set(vorn_packaging_out ${CMAKE_BINARY_DIR}/packaging)

# Paths are relative to the package's root.
string(SUBSTRING ${VORN_PROGRAM_FOLDER} 1 -1 program_folder)
install(TARGETS bpvorn RUNTIME DESTINATION ${program_folder})
install(TARGETS sc501ger LIBRARY DESTINATION ${program_folder})

file(MAKE_DIRECTORY ${vorn_packaging_out})
file(CREATE_LINK ${VORN_PROGRAM_FOLDER}/bpvorn ${vorn_packaging_out}/bpvorn SYMBOLIC)
install(FILES ${vorn_packaging_out}/bpvorn DESTINATION usr/bin)

install(FILES ${vorn_packaging_dir}/${VORN_PACKAGE_NAME}.service DESTINATION usr/lib/systemd/user)
install(FILES ${vorn_packaging_dir}/${VORN_PACKAGE_NAME}.desktop DESTINATION usr/share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/src/app/icons/vorn-rarud-erevur.svg
    DESTINATION usr/share/icons/hicolor/scalable/apps)
install(FILES ${vorn_packaging_dir}/sc501ger.ini DESTINATION usr/share/${VORN_PACKAGE_NAME})
install(FILES ${PROJECT_SOURCE_DIR}/docs/guia-do-tecnico.md DESTINATION usr/share/doc/${VORN_PACKAGE_NAME})
install(FILES ${vorn_packaging_dir}/exemplos/Conexao.ini
    DESTINATION usr/share/doc/${VORN_PACKAGE_NAME}/exemplos)

# Maintainer scripts. postrm deletes the copied sc501ger.ini on purge only while it still holds
# the template's exact bytes: a file the technician changed is theirs and stays.
file(MD5 ${vorn_packaging_dir}/sc501ger.ini VORN_SC501GER_INI_MD5)
foreach(script postinst postrm)
    configure_file(${vorn_packaging_dir}/${script}.in ${vorn_packaging_out}/${script} @ONLY
        FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
        WORLD_READ WORLD_EXECUTE)
endforeach()

# cpack installs without building the whole tree first: the package holds only bpvorn and
# libsc501ger.so, which scripts/package and the package test build themselves.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${VORN_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "VORN")
set(CPACK_PACKAGE_CONTACT "Equipe VORN <suporte@vorn.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Servidor Rarud Erevur VORN: price-check server for shop terminals")
set(CPACK_PACKAGE_DESCRIPTION
    "Answers the barcodes scanned at the shop's price-check terminals with the \
product's description and price, from a cache of the VORN retail system's \
Firebird database (read only). Runs with an operator window and tray icon, \
or headless as a systemd user service.")
# Libraries linked at build time are found by dpkg-shlibdeps; the rest by hand: the Firebird
# client is loaded at run time, the SVG icon needs Qt's SVG plugins, and the maintainer scripts
# create the system group with addgroup.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libfbclient2, libqt6svg6, adduser")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${vorn_packaging_out}/postinst ${vorn_packaging_out}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
