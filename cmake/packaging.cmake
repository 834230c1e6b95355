# The packages, built from the windows preset by scripts/package: a portable zip, and an
# installer made with NSIS that installs for the current user without administrator rights.
# Their names carry the project's version.

install(TARGETS qnv RUNTIME DESTINATION .)
install(FILES README.md THIRD-PARTY-NOTICES.txt DESTINATION .)
# With an extension, so that it opens on Windows with a double click.
install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME qnv)
set(CPACK_PACKAGE_VENDOR "${QNV_PUBLISHER}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/packages")
# qnv-1.0.0-win64-portable.zip and qnv-1.0.0-win64-setup.exe (cmake/packaging/names.cmake).
set(CPACK_PACKAGE_FILE_NAME "qnv-${PROJECT_VERSION}-win64")
set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_SOURCE_DIR}/cmake/packaging/names.cmake")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "${QNV_PRODUCT_NAME}")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "${QNV_PRODUCT_NAME}")
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
set(CPACK_NSIS_MUI_ICON "${PROJECT_SOURCE_DIR}/src/qnv.ico")
set(CPACK_NSIS_MUI_UNIICON "${PROJECT_SOURCE_DIR}/src/qnv.ico")
# The installer script is ours (cmake/packaging/NSIS.template.in): per user, 64-bit.
list(PREPEND CMAKE_MODULE_PATH "${PROJECT_SOURCE_DIR}/cmake/packaging")

# Where the tests find the packages.
set(QNV_PORTABLE_PACKAGE "${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}-portable.zip")
set(QNV_INSTALLER_PACKAGE "${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}-setup.exe")

include(CPack)
