#!/usr/bin/env bash
# Makes the Windows installer from a program folder with NSIS (Debian's
# nsis package): lists the folder's files for kivra.nsi, once as File lines to
# install and once as Delete lines to uninstall, then runs makensis.
#
#   make-installer.sh PROGRAM_DIR VERSION OUTPUT.exe
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$(cd "$1" && pwd)
version=$2
output=$3
publisher=$(sed -n 's/^set(KIVRA_VENDOR \(.*\))$/\1/p' "$here/../../CMakeLists.txt")
[ -n "$publisher" ] || { echo "no KIVRA_VENDOR in CMakeLists.txt" >&2; exit 1; }

lists=$(mktemp -d)
trap 'rm -rf "$lists"' EXIT
# NSIS reads $ as the start of a variable; a Windows path uses backslashes.
nsis_path() { printf '%s' "$1" | sed 's/\$/$$/g; s|/|\\|g'; }

# With a byte-order mark, makensis reads the lists as UTF-8 (file names such
# as the Chinese manual's).
bom=$'\xef\xbb\xbf'
(
    printf '%s' "$bom"
    cd "$program"
    find . -type d | sort | while read -r dir; do
        rel=${dir#.}
        echo "SetOutPath \"\$INSTDIR$(nsis_path "$rel")\""
        find "$dir" -maxdepth 1 -type f | sort | while read -r file; do
            echo "File \"$program/${file#./}\""
        done
    done
) >"$lists/install.nsh"
(
    printf '%s' "$bom"
    cd "$program"
    find . -type f | sort | while read -r file; do
        echo "Delete \"\$INSTDIR\\$(nsis_path "${file#./}")\""
    done
    # Deepest first, so each folder is empty by the time it is removed.
    find . -mindepth 1 -type d | sort -r | while read -r dir; do
        echo "RMDir \"\$INSTDIR\\$(nsis_path "${dir#./}")\""
    done
) >"$lists/uninstall.nsh"

size_kb=$(du -sk "$program" | cut -f1)
makensis -V2 -INPUTCHARSET UTF8 \
    -DVERSION="$version" -DPUBLISHER="$publisher" -DOUTFILE="$output" -DSIZE_KB="$size_kb" \
    -DFILES_INSTALL="$lists/install.nsh" -DFILES_UNINSTALL="$lists/uninstall.nsh" \
    "$here/kivra.nsi"
