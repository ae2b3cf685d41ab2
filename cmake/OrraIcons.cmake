# The program icon, rendered at build time from its drawings in resources/icon/:
# orra-16/24/32/48.svg are drawn for their pixel grids, orra.svg for everything
# larger. Writes the hicolor set (and the scalable SVG) under
# ${CMAKE_BINARY_DIR}/icons/hicolor/ and a multi-size Windows icon, target
# orra_icons. Only tools of the build machine run, so a cross build works too.

set(ORRA_ICON_NAME orra-native-american-astrology)
set(ORRA_ICON_DIR ${CMAKE_BINARY_DIR}/icons/hicolor CACHE INTERNAL "The rendered hicolor icons")
set(ORRA_ICO_FILE ${CMAKE_BINARY_DIR}/icons/OrraFreeNativeAmericanAstrology.ico
    CACHE INTERNAL "The Windows icon of the program, for the .exe's resources")
set(ORRA_ICON_SIZES 16 22 24 32 48 64 128 256)

find_program(ORRA_RSVG_CONVERT rsvg-convert NO_CMAKE_FIND_ROOT_PATH)
find_program(ORRA_ICOTOOL icotool NO_CMAKE_FIND_ROOT_PATH)
if(NOT ORRA_RSVG_CONVERT OR NOT ORRA_ICOTOOL)
    message(FATAL_ERROR "The program icons are rendered with rsvg-convert and icotool: "
                        "install the Debian packages librsvg2-bin and icoutils (scripts/setup.sh does).")
endif()

set(icon_src ${CMAKE_SOURCE_DIR}/resources/icon)
set(icon_outputs)
foreach(size IN LISTS ORRA_ICON_SIZES)
    set(png ${ORRA_ICON_DIR}/${size}x${size}/apps/${ORRA_ICON_NAME}.png)
    if(size EQUAL 22)
        # The 24-pixel drawing keeps a one-pixel margin: 22 is that drawing cropped.
        set(svg ${icon_src}/orra-24.svg)
        set(how --left=-1 --top=-1 --page-width=22 --page-height=22)
    elseif(size LESS_EQUAL 48)
        set(svg ${icon_src}/orra-${size}.svg)
        set(how)
    else()
        set(svg ${icon_src}/orra.svg)
        set(how --width=${size} --height=${size})
    endif()
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${ORRA_ICON_DIR}/${size}x${size}/apps
        COMMAND ${ORRA_RSVG_CONVERT} ${how} --output=${png} ${svg}
        DEPENDS ${svg}
        COMMENT "Rendering the ${size} px icon"
        VERBATIM)
    list(APPEND icon_outputs ${png})
    set(icon_png_${size} ${png})
endforeach()

set(scalable ${ORRA_ICON_DIR}/scalable/apps/${ORRA_ICON_NAME}.svg)
add_custom_command(OUTPUT ${scalable}
    COMMAND ${CMAKE_COMMAND} -E copy ${icon_src}/orra.svg ${scalable}
    DEPENDS ${icon_src}/orra.svg
    VERBATIM)

# Windows shows 16 to 48 in menus, title bars and Explorer; 256 is kept as PNG
# inside the .ico, as Windows expects for that size. All in 32 bits with
# alpha (icotool would store the few-coloured small ones as 16 colours and a mask).
add_custom_command(OUTPUT ${ORRA_ICO_FILE}
    COMMAND ${ORRA_ICOTOOL} --create --bit-depth=32 --output=${ORRA_ICO_FILE}
            ${icon_png_16} ${icon_png_24} ${icon_png_32} ${icon_png_48} --raw=${icon_png_256}
    DEPENDS ${icon_png_16} ${icon_png_24} ${icon_png_32} ${icon_png_48} ${icon_png_256}
    COMMENT "Putting together the Windows icon"
    VERBATIM)

add_custom_target(orra_icons ALL DEPENDS ${icon_outputs} ${scalable} ${ORRA_ICO_FILE})
