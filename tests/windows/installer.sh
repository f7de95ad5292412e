#!/usr/bin/env bash
# The installer under wine, in a fresh wine prefix of its own: a silent
# install into Program Files\Kivra (the program folder byte for byte with the
# tool, the simulator, the demo and the wheel, the Start-menu entries and the
# demo entry's command line, the entry in the list of installed programs,
# the folder recorded for the Python package, the PATH left alone); the
# installed Trova.exe started offscreen and seen to open its trans_en_US.qm
# and font.ttf; the demo: the simulator's SIM1 listed while the program runs,
# gone when it ends; a silent uninstall that leaves nothing of its own and
# keeps the user's config.ini; then the same with a folder of the user's
# choosing (/D=) and the folder put on the user's PATH (/ADDTOPATH), which
# the uninstall takes off again, keeping the rest of the PATH. Prints one
# line per check and "N passed, N failed" at the end.
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
no_key() { ! "$wine64" reg query "${1:-$key}" </dev/null >/dev/null 2>&1; }
install_dir() { # the folder recorded for the Python package
    "$wine64" reg query 'HKLM\Software\Kivra' /v InstallDir </dev/null 2>/dev/null | tr -d '\r' |
        grep -qF "REG_SZ    $1"
}
user_path() { # the user's PATH as the registry holds it
    "$wine64" reg query 'HKCU\Environment' /v Path </dev/null 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *Path *REG_[A-Z_]*SZ *//p'
}
path_is() { [ "$(user_path)" = "$1" ]; }
link_runs() { # shortcut, Windows program it must start (a .lnk keeps the target's path)
    { strings -a "$1"; strings -el "$1"; } 2>/dev/null | grep -qiF "$2"
}
tool() { "$wine64" "$installed/kivra.exe" "$@" </dev/null 2>>"$logs/run.log" | tr -d '\r'; }
listed() { tool ports | grep -qx "$1"; }
poll() { # command...: true once it holds, tried for at most 60 s
    for _ in $(seq 600); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
shortcuts() { # count of .lnk files in the menu folder
    [ "$(find "$menu" -name '*.lnk' 2>/dev/null | wc -l)" -eq "$1" ]
}

# The user's own PATH, which only /ADDTOPATH may change.
own_path='C:\Tools;C:\Other'
"$wine64" reg add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d "$own_path" /f \
    </dev/null >>"$logs/run.log" 2>&1

check "silent install exits 0" run "$setup" /S
check "program folder installed whole" same_tree "$installed"
check "the tool, the simulator, the demo and the wheel installed" test -f "$installed/kivra.exe" \
    -a -f "$installed/kivra-sim.exe" -a -f "$installed/kivra-demo.exe" \
    -a -f "$installed/help/SDK/python/kivra-$version-py3-none-win_amd64.whl"
check "five Start-menu entries" shortcuts 5
check "the demo entry starts kivra-demo.exe" \
    link_runs "$menu/Trova demo (simulated controller).lnk" 'C:\Program Files\Kivra\kivra-demo.exe'
check "the folder recorded for the Python package" install_dir 'C:\Program Files\Kivra'
check "the user's PATH left alone" path_is "$own_path"
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

# The demo: the simulator first, then the program (offscreen here); when the
# program ends, so does the simulator, and its port with it.
"$wine64" 'C:\Program Files\Kivra\kivra-demo.exe' -platform offscreen \
    </dev/null >"$logs/demo.log" 2>&1 &
demo=$!
check "the demo's simulator publishes SIM1" poll listed SIM1
# Wine's tasklist is a stub: a Trova.exe of this prefix is found by its
# host process's environment.
trova_runs() {
    local pid
    for pid in $(pgrep -f 'Trova\.exe'); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && return 0
    done
    return 1
}
check "the demo started Trova.exe" poll trova_runs
"$wine64" taskkill /f /im Trova.exe </dev/null >>"$logs/run.log" 2>&1
demo_ended() { ! kill -0 $demo 2>/dev/null; }
check "the demo ends with the program" poll demo_ended
sim1_gone() { ! listed SIM1; }
check "and SIM1 with it" poll sim1_gone
"$wineserver" -k >/dev/null 2>&1
"$wineserver" -w
rm -f "$installed/config.ini"

mkdir -p "$(dirname "$user_config")"
echo "[language]" >"$user_config"
check "silent uninstall exits 0" run 'C:\Program Files\Kivra\Uninstall.exe' /S
check "program folder gone" test ! -e "$installed"
check "Start-menu folder gone" test ! -e "$menu"
check "no longer listed" no_key
check "no folder recorded" no_key 'HKLM\Software\Kivra'
check "the user's config.ini kept" test -f "$user_config"

# A folder of the user's choosing (NSIS takes /D= unquoted, so without
# spaces under wine, which quotes an argument that has them); a file of the
# user's in it stays, with the folder.
chosen=$drive_c/Kivra-Test
check "silent install into /D= folder, on the PATH" run "$setup" /S /ADDTOPATH '/D=C:\Kivra-Test'
check "program folder installed whole there" same_tree "$chosen"
check "the folder added to the user's PATH" path_is "$own_path;C:\Kivra-Test"
echo "notes" >"$chosen/notes.txt"
check "silent uninstall from there" run 'C:\Kivra-Test\Uninstall.exe' /S
check "only the user's file is left" test "$(ls -A "$chosen")" = notes.txt
check "the user's PATH as it was" path_is "$own_path"
check "no record of the PATH entry" no_key 'HKCU\Software\Kivra'

finish
