# shellcheck shell=bash disable=SC2154 # root, qt, app, package and the rest: set by scripts/windows.sh
# Sourced by scripts/windows.sh: the program folder with exactly what the
# program loads, the portable zip and the installer, byte for byte the same
# from the same source; signed when a certificate and its key are given.
#
#   deploy FOLDER PROGRAM PLUGINS...   a program with the DLLs and plugins it loads
#   package BUILD [DIST]               BUILD/dist (or DIST): folder, zip, setup
#   sign_file FILE                     Authenticode, SHA-256, in place

# The runtime of the compiler that built the program.
mingw_dirs=("$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")" /usr/x86_64-w64-mingw32/lib)
dll_dirs=("$qt/bin" "${mingw_dirs[@]}")
plugins=(platforms/qwindows.dll styles/qmodernwindowsstyle.dll)

# The DLLs a program or DLL imports that come from Qt or the mingw runtime,
# and theirs in turn; Windows' own DLLs are not found in those folders.
imported_dlls() {
    local -A seen=()
    local queue=("$@") file name dir
    while ((${#queue[@]})); do
        file=${queue[0]}
        queue=("${queue[@]:1}")
        while read -r name; do
            [ -n "${seen[$name]:-}" ] && continue
            for dir in "${dll_dirs[@]}"; do
                if [ -f "$dir/$name" ]; then
                    seen[$name]=$dir/$name
                    queue+=("$dir/$name")
                    break
                fi
            done
        done < <(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p')
    done
    printf '%s\n' "${seen[@]}" | sort
}

deploy() { # folder, program, plugins...
    local folder=$1 exe=$2 plugin
    shift 2
    rm -rf "$folder"
    mkdir -p "$folder"
    cp "$exe" "$folder/"
    for plugin in "$@"; do
        mkdir -p "$folder/$(dirname "$plugin")"
        cp "$qt/plugins/$plugin" "$folder/$plugin"
    done
    local binaries=("$exe")
    for plugin in "$@"; do binaries+=("$qt/plugins/$plugin"); done
    imported_dlls "${binaries[@]}" | xargs -r cp -t "$folder/"
    # Strip stamps SOURCE_DATE_EPOCH into each PE header, as the link did.
    find "$folder" -type f \( -name '*.dll' -o -name '*.exe' \) -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
}

signing() { [ -n "${ORRA_SIGN_CERT:-}" ] && [ -n "${ORRA_SIGN_KEY:-}" ]; }

sign_file() { # file
    bash "$root/packaging/windows/sign.sh" "$1"
}

# The installer's file list, so that the uninstaller removes exactly these.
installer_files() { # program folder
    local folder=$1 dir
    echo '!macro InstallFiles'
    (cd "$folder" && find . -type d | LC_ALL=C sort | sed 's|^\./\?||') | while read -r dir; do
        echo "    SetOutPath \"\$INSTDIR${dir:+\\${dir//\//\\}}\""
        find "$folder/$dir" -maxdepth 1 -type f | LC_ALL=C sort | sed 's/.*/    File "&"/'
    done
    echo '    SetOutPath "$INSTDIR"'
    echo '!macroend'
    echo '!macro UninstallFiles'
    (cd "$folder" && find . -type f | LC_ALL=C sort | sed 's|^\./||; s|/|\\|g; s|.*|    Delete /REBOOTOK "$INSTDIR\\&"|')
    (cd "$folder" && find . -mindepth 1 -type d | LC_ALL=C sort -r | sed 's|^\./||; s|/|\\|g; s|.*|    RMDir "$INSTDIR\\&"|')
    echo '!macroend'
}

package() { # build folder, [dist folder]
    local dir=$1 dist=${2:-$1/dist}
    local folder=$dist/$package sign=()
    step "deploying into $folder"
    deploy "$folder" "$dir/src/$app.exe" "${plugins[@]}"
    # Signed or not, the program is the same once a signature is taken off it.
    python3 packaging/windows/pe-checksum.py "$folder/$app.exe"
    if signing; then
        step "signing with $ORRA_SIGN_CERT${ORRA_SIGN_TIMESTAMP_URL:+, timestamped by $ORRA_SIGN_TIMESTAMP_URL}"
        sign_file "$folder/$app.exe"
        sign=(-DSIGN="$root/packaging/windows/sign.sh")
    else
        step "unsigned: no ORRA_SIGN_CERT and ORRA_SIGN_KEY given"
    fi
    # Every file of the folder carries the release's time, in the zip and the setup alike.
    find "$folder" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
    # Names in a fixed order, no extra fields (owners, Unix times): the same archive every time.
    (cd "$dist" && rm -f "$package-portable.zip" &&
        find "$package" | LC_ALL=C sort | zip -q -X -@ "$package-portable.zip")
    step "installer"
    installer_files "$folder" >"$dist/files.nsh"
    makensis -V2 -DVERSION="$version" -DSOURCE_DIR="$folder" -DFILE_LIST="$dist/files.nsh" \
        -DOUT_FILE="$dist/$package-setup.exe" "${sign[@]}" \
        -DICON_FILE="$(sed -n 's/^IDI_ICON1 ICON "\(.*\)"$/\1/p' "$dir/src/orra.rc")" \
        packaging/windows/installer.nsi
    ls -l "$dist/$package-setup.exe" "$dist/$package-portable.zip"
}
