#!/usr/bin/env bash
# The installer under wine, in a fresh wine prefix of its own: a silent
# install into Program Files\Kivra (the program folder byte for byte, the
# Start-menu entries, the entry in the list of installed programs); the
# installed Trova.exe started offscreen and seen to open its trans_en_US.qm
# and font.ttf; a silent uninstall that leaves nothing of its own and keeps
# the user's config.ini; then the same with a folder of the user's choosing
# (/D=). Prints one line per check and "N passed, N failed" at the end.
#
#   installer.sh WINE64 SETUP.exe PROGRAM_DIR PREFIX
set -u
wine64=$1 setup=$2 program=$3
export WINEPREFIX=$4 WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES=mscoree,mshtml,winedbg.exe=d
unset DISPLAY WAYLAND_DISPLAY
wineserver=/usr/lib/wine/wineserver
logs=$WINEPREFIX.logs

passed=0
failed=0
check() { # description, command...
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
        passed=$((passed + 1))
    else
        echo "FAILED: $what"
        failed=$((failed + 1))
    fi
}
finish() {
    "$wineserver" -k >/dev/null 2>&1
    echo "$passed passed, $failed failed"
    [ $failed -eq 0 ]
    exit
}
[ -f "$setup" ] && [ -d "$program" ] || { echo "FAILED: no $setup or $program"; failed=1; finish; }

"$wineserver" -k >/dev/null 2>&1
"$wineserver" -w >/dev/null 2>&1
rm -rf "$WINEPREFIX" "$logs"
mkdir -p "$logs"
# Wine's services stay behind the first program: their output goes to files,
# never into this script's pipes.
"$wine64" wineboot -i </dev/null >"$logs/wineboot.log" 2>&1
"$wineserver" -w

drive_c=$WINEPREFIX/drive_c
installed=$drive_c/Program\ Files/Kivra
menu=$drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Kivra
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kivra'
user_config=$(echo "$drive_c"/users/*/AppData/Roaming)/Trova/config.ini
version=$(basename "$setup" | sed -n 's/^kivra-\(.*\)-setup\.exe$/\1/p')

run() { # windows program and arguments; waits for every process it started
    "$wine64" "$@" </dev/null >>"$logs/run.log" 2>&1
    local status=$?
    "$wineserver" -w
    return $status
}
same_tree() { # the installed folder holds the program folder and the uninstaller, nothing else
    diff -r -x Uninstall.exe "$program" "$1" >"$logs/diff.log" 2>&1 && [ -f "$1/Uninstall.exe" ]
}
registry() { # value name, expected text
    "$wine64" reg query "$key" /v "$1" </dev/null 2>/dev/null | tr -d '\r' |
        grep -q "REG_SZ[[:space:]]*$2\$"
}
no_key() { ! "$wine64" reg query "$key" </dev/null >/dev/null 2>&1; }
shortcuts() { # count of .lnk files in the menu folder
    [ "$(find "$menu" -name '*.lnk' 2>/dev/null | wc -l)" -eq "$1" ]
}

check "silent install exits 0" run "$setup" /S
check "program folder installed whole" same_tree "$installed"
check "four Start-menu entries" shortcuts 4
check "the SDK's examples in every language" test -f "$installed/help/SDK/examples/c/shutter_sequence.c" \
    -a -f "$installed/help/SDK/examples/cpp/shutter_sequence.cpp" \
    -a -f "$installed/help/SDK/examples/python/shutter_sequence.py" \
    -a -d "$installed/help/SDK/examples/csharp"
check "listed with its version" registry DisplayVersion "$version"
check "listed with its publisher" registry Publisher Kivra

# The installed program, in English, offscreen: wine's file trace shows which
# files it opens. It runs until it is stopped.
printf '[language]\nlanguage=EN\n' >"$installed/config.ini"
WINEDEBUG=trace+file "$wine64" 'C:\Program Files\Kivra\Trova.exe' -platform offscreen \
    </dev/null >"$logs/trova.log" 2>&1 &
trova=$!
opened() { grep -qi "Program Files\\\\\\\\Kivra\\\\\\\\$1" "$logs/trova.log"; }
for _ in $(seq 600); do
    opened trans_en_US.qm && opened font.ttf && break
    kill -0 $trova 2>/dev/null || break
    sleep 0.1
done
check "installed Trova.exe opened its trans_en_US.qm" opened trans_en_US.qm
check "installed Trova.exe opened its font.ttf" opened font.ttf
check "installed Trova.exe was still running" kill -0 $trova
kill $trova 2>/dev/null
"$wineserver" -k >/dev/null 2>&1
"$wineserver" -w
rm -f "$installed/config.ini"

mkdir -p "$(dirname "$user_config")"
echo "[language]" >"$user_config"
check "silent uninstall exits 0" run 'C:\Program Files\Kivra\Uninstall.exe' /S
check "program folder gone" test ! -e "$installed"
check "Start-menu folder gone" test ! -e "$menu"
check "no longer listed" no_key
check "the user's config.ini kept" test -f "$user_config"

# A folder of the user's choosing (NSIS takes /D= unquoted, so without
# spaces under wine, which quotes an argument that has them); a file of the
# user's in it stays, with the folder.
chosen=$drive_c/Kivra-Test
check "silent install into /D= folder" run "$setup" /S '/D=C:\Kivra-Test'
check "program folder installed whole there" same_tree "$chosen"
echo "notes" >"$chosen/notes.txt"
check "silent uninstall from there" run 'C:\Kivra-Test\Uninstall.exe' /S
check "only the user's file is left" test "$(ls -A "$chosen")" = notes.txt
finish
