# shellcheck shell=bash
# Sourced by the scripts: facts about the project that live in one file each.
#
#   project_version   the version, from project() in CMakeLists.txt
#   project_epoch     the time of the newest debian/changelog entry, in seconds:
#                     the SOURCE_DATE_EPOCH of every release build, as
#                     dpkg-buildpackage takes it for the Debian package

project_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

project_version() {
    sed -n 's/^project(.* VERSION \([0-9.]*\).*/\1/p' "$project_top/CMakeLists.txt"
}

project_epoch() {
    date -d "$(sed -n 's/^ -- .*>  //p' "$project_top/debian/changelog" | head -n 1)" +%s
}
