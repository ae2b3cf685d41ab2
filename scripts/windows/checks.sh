# shellcheck shell=bash disable=SC2154 # root, qt, app, package and the rest: set by scripts/windows.sh
# Sourced by scripts/windows.sh: the checks of what a release is made of,
# each one count of the closing line and a JUnit file.
#
#   check_hardening DIST              every PE file deployed, and the setup
#                                     (packaging/windows/hardening.sh)
#   check_reproducible BUILD TIME     a second build, a minute after TIME, elsewhere
#                                     and without the compiler cache, is the same
#   check_signing BUILD               signed with a throwaway CA, everything verifies
#   signed_setup_or BUILD             the setup check_signing made, else the build's

check_hardening() { # dist folder
    step "hardening of every program and DLL in $1"
    local rc=0
    bash packaging/windows/hardening.sh "$1" "$1/$package/$app.exe" || rc=$?
    count "hardening" "$rc"
}

# The two builds, file by file; diffoscope says where a pair differs.
compare_builds() { # first, second, name...
    local a=$1 b=$2 name rc=0
    shift 2
    for name in "$@"; do
        if cmp -s "$a/$name" "$b/$name"; then
            junit_case "$name" 0
        else
            echo "  differs: $name"
            diffoscope --text - --max-text-report-size 20000 "$a/$name" "$b/$name" | head -n 60 || true
            junit_case "$name" 1 "differs between $a and $b"
            rc=1
        fi
    done
    return "$rc"
}

check_reproducible() { # build folder, when its packaging ended
    local first=$1/dist again=$1-again log=$1/second-build.log rc=0 files=()
    rm -rf "$again" # nothing reused from an earlier run
    local rest=$(($2 + 61 - $(seconds)))
    ((rest <= 0)) || sleep "$rest"
    (
        unset ORRA_SIGN_CERT ORRA_SIGN_KEY
        cross_build "$again" program && package "$again"
    ) >"$log" 2>&1 || {
        tail -n 20 "$log" >&2
        echo "FAIL: the second build failed (log: $log)" >&2
        rc=1
    }
    if [ "$rc" = 0 ]; then
        step "comparing $first with the second build, $again/dist"
        if [ "$(cd "$first" && find "$package" | LC_ALL=C sort)" = "$(cd "$again/dist" && find "$package" | LC_ALL=C sort)" ]; then
            junit_case "the same files in the program folder" 0
        else
            junit_case "the same files in the program folder" 1
            rc=1
        fi
        while read -r f; do
            signing && [ "$f" = "$package/$app.exe" ] && continue # below
            files+=("$f")
        done < <(cd "$first" && find "$package" -type f | LC_ALL=C sort)
        if signing; then
            # A signature carries its time: the program compares without it; the
            # setup and the zip, which hold signed files, cannot.
            echo "  signed build: the program compared without its signature; setup and zip not compared"
            mkdir -p "$again/unsigned"
            osslsigncode remove-signature -in "$first/$package/$app.exe" \
                -out "$again/unsigned/$app.exe" >/dev/null
            compare_builds "$again/unsigned" "$again/dist/$package" "$app.exe" || rc=1
        else
            files+=("$package-setup.exe" "$package-portable.zip")
        fi
        compare_builds "$first" "$again/dist" "${files[@]}" || rc=1
    else
        junit_case "second build" 1 "failed: $log"
    fi
    junit_write windows-reproducible
    ((rc)) || echo "  the same, byte for byte: ${#files[@]} files (the program folder's, and unless signed the setup and the zip)"
    count "reproducible" "$rc"
}

# A CA and a code-signing certificate of its own, for this run only.
throwaway_ca() { # folder
    local d=$1
    mkdir -p "$d"
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$d/ca.key" -out "$d/ca.pem" -days 2 \
        -subj "/CN=Orra throwaway test CA" -addext "basicConstraints=critical,CA:TRUE" \
        -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
    openssl req -newkey rsa:2048 -nodes -keyout "$d/sign.key" -out "$d/sign.csr" \
        -subj "/CN=Orra Software (test)" 2>/dev/null
    printf '%s\n' "basicConstraints=CA:FALSE" "keyUsage=critical,digitalSignature" \
        "extendedKeyUsage=codeSigning" >"$d/sign.ext"
    openssl x509 -req -in "$d/sign.csr" -CA "$d/ca.pem" -CAkey "$d/ca.key" -CAcreateserial \
        -days 2 -extfile "$d/sign.ext" -out "$d/sign.pem" 2>/dev/null
    # A timestamp authority under the same CA, for packaging/windows/timestamp-server.py.
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$d/tsa.key" -out "$d/tsa.pem" -days 2 \
        -subj "/CN=Orra throwaway timestamps" -CA "$d/ca.pem" -CAkey "$d/ca.key" \
        -addext "basicConstraints=CA:FALSE" -addext "keyUsage=critical,digitalSignature" \
        -addext "extendedKeyUsage=critical,timeStamping" 2>/dev/null
    printf '%s\n' "[tsa]" "default_tsa = ours" "[ours]" "serial = $d/tsa.serial" \
        "signer_cert = $d/tsa.pem" "signer_key = $d/tsa.key" "certs = $d/ca.pem" \
        "signer_digest = sha256" "default_policy = 1.3.6.1.4.1.99999.1" \
        "digests = sha256, sha384, sha512" "accuracy = secs:1" "ess_cert_id_alg = sha256" \
        >"$d/tsa.cnf"
    echo 01 >"$d/tsa.serial"
}

signed_case() { # name, file, CA: osslsigncode verify, timestamp and all, as one test case
    local out
    if out=$(osslsigncode verify -CAfile "$3" -TSA-CAfile "$3" -in "$2" 2>&1) \
        && grep -q '^Timestamp' <<<"$out"; then
        echo "  ok    $1 verifies, timestamped"
        junit_case "$1 verifies" 0
    else
        echo "  FAIL  $1 does not verify:"
        tail -n 5 <<<"$out"
        junit_case "$1 verifies" 1 "$(tail -n 1 <<<"$out")"
        return 1
    fi
}

check_signing() { # build folder
    local dir=$1 out=$1/signing rc=0 installed
    step "signing with a throwaway CA ($out)"
    rm -rf "$out"
    throwaway_ca "$out/keys"
    python3 packaging/windows/timestamp-server.py "$out/keys/tsa.cnf" "$out/keys/port" 2>"$out/tsa.log" &
    local tsa=$!
    for _ in $(seq 100); do [ -s "$out/keys/port" ] && break; sleep 0.1; done
    (
        export ORRA_SIGN_CERT=$out/keys/sign.pem ORRA_SIGN_KEY=$out/keys/sign.key
        ORRA_SIGN_TIMESTAMP_URL=http://127.0.0.1:$(cat "$out/keys/port" 2>/dev/null)/
        export ORRA_SIGN_TIMESTAMP_URL
        package "$dir" "$out/dist"
    ) >"$out/package.log" 2>&1 || {
        tail -n 20 "$out/package.log" "$out/tsa.log" >&2
        rc=1
    }
    kill "$tsa" 2>/dev/null || true
    wait "$tsa" 2>/dev/null || true
    local setup=$out/dist/$package-setup.exe
    if [ "$rc" = 0 ]; then
        signed_case "the setup" "$setup" "$out/keys/ca.pem" || rc=1
        signed_case "the program" "$out/dist/$package/$app.exe" "$out/keys/ca.pem" || rc=1
        # The signature taken off, the program is the unsigned, reproducible one.
        osslsigncode remove-signature -in "$out/dist/$package/$app.exe" -out "$out/unsigned.exe" \
            >/dev/null 2>&1 || true
        if cmp -s "$out/unsigned.exe" "$dir/dist/$package/$app.exe"; then
            echo "  ok    the program without its signature is the unsigned one"
            junit_case "the program without its signature is the unsigned one" 0
        else
            echo "  FAIL  the program without its signature differs from the unsigned one"
            junit_case "the program without its signature is the unsigned one" 1
            rc=1
        fi
        # The uninstaller exists once installed.
        new_prefix "$out/wine"
        wine "$setup" /S /CurrentUser >/dev/null 2>&1 || true
        wineserver -w
        installed=$(find "$WINEPREFIX/drive_c/users" -path '*/Programs/Orra Native American Astrology' -type d | head -n 1)
        signed_case "the installed uninstaller" "$installed/uninstall.exe" "$out/keys/ca.pem" || rc=1
        signed_case "the installed program" "$installed/$app.exe" "$out/keys/ca.pem" || rc=1
        wineserver -k 2>/dev/null || true
    else
        junit_case "signed build" 1 "failed: $out/package.log"
    fi
    junit_write windows-signing
    count "signing" "$rc"
}

signed_setup_or() { # build folder: the setup the Wine checks install
    local signed=$1/signing/dist/$package-setup.exe
    if [ -f "$signed" ]; then echo "$signed"; else echo "$1/dist/$package-setup.exe"; fi
}
