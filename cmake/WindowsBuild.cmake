# The flags of the program's own code for Windows. Built as Qt's DLLs for Windows are:
# stack protector, CET (endbr64), fortified C library calls (mingw-w64 has
# them since its version 8), linked for address space layout randomisation
# (relocatable, 64-bit entropy) and a non-executable data area. Included from
# the top CMakeLists.txt for Windows builds; packaging/windows/hardening.sh checks
# the result in every deployed file.
add_compile_options(-fstack-protector-strong -fcf-protection=full
                    $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
# The stack protector's runtime is linked as GCC links it (-fstack-protector
# at the link too); --dynamicbase keeps the .reloc section the loader needs.
add_link_options(-fstack-protector-strong -Wl,--dynamicbase -Wl,--nxcompat -Wl,--high-entropy-va)

# The same bytes from the same source in any folder at any time: no build
# paths in the code, no link time in the PE header.
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=/orra
                    -ffile-prefix-map=${CMAKE_BINARY_DIR}=/orra/build)
add_link_options(-Wl,--no-insert-timestamp)
