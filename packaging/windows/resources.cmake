# The program's Windows resources: icon and version information in the .exe.
# Included from src/CMakeLists.txt when building for Windows.
if(DEFINED ORRA_ICO_FILE)
    set(orra_rc_icon ${ORRA_ICO_FILE})
else()
    # --- Until the drawn multi-size icon (target orra_icons) lands: pack the
    # --- existing PNGs into an .ico. Drop this block then.
    find_program(ICOTOOL icotool REQUIRED)
    set(icon_dir ${CMAKE_SOURCE_DIR}/resources/icon)
    set(ORRA_ICO_FILE ${CMAKE_BINARY_DIR}/icons/OrraFreeNativeAmericanAstrology.ico)
    add_custom_command(OUTPUT ${ORRA_ICO_FILE}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons
        COMMAND ${ICOTOOL} -c -o ${ORRA_ICO_FILE} ${icon_dir}/orra-16.png
                ${icon_dir}/orra-32.png ${icon_dir}/orra-48.png -r ${icon_dir}/orra-256.png
        DEPENDS ${icon_dir}/orra-16.png ${icon_dir}/orra-32.png ${icon_dir}/orra-48.png
                ${icon_dir}/orra-256.png
        VERBATIM)
    add_custom_target(orra_icons DEPENDS ${ORRA_ICO_FILE})
    set(orra_rc_icon ${ORRA_ICO_FILE})
    # --- end of the stand-in icon
endif()

set(ORRA_RC_ICON ${orra_rc_icon})
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/orra.rc.in ${CMAKE_CURRENT_BINARY_DIR}/orra.rc @ONLY)
target_sources(OrraFreeNativeAmericanAstrology PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/orra.rc)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/orra.rc PROPERTIES OBJECT_DEPENDS ${ORRA_ICO_FILE})
if(TARGET orra_icons)
    add_dependencies(OrraFreeNativeAmericanAstrology orra_icons)
endif()
