# The program's Windows resources: icon, manifest and version information in
# the .exe.
# Included from src/CMakeLists.txt when building for Windows; the .ico comes
# from orra_icons (cmake/OrraIcons.cmake).
set(ORRA_RC_ICON ${ORRA_ICO_FILE})
set(ORRA_RC_MANIFEST ${CMAKE_SOURCE_DIR}/packaging/windows/orra.manifest)
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/orra.rc.in ${CMAKE_CURRENT_BINARY_DIR}/orra.rc @ONLY)
target_sources(OrraFreeNativeAmericanAstrology PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/orra.rc)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/orra.rc PROPERTIES
    OBJECT_DEPENDS "${ORRA_ICO_FILE};${ORRA_RC_MANIFEST}")
add_dependencies(OrraFreeNativeAmericanAstrology orra_icons)
