#!/bin/sh
# Runs a command with the wine prefix's display set to DPI dots per inch
# (HKCU\Control Panel\Desktop\LogPixels, which wine reads as a process
# starts), and takes the setting away again after, whatever the command did.
#
#   dpi.sh WINE64 DPI COMMAND [arguments...]
wine64=$1 dpi=$2
shift 2
key='HKCU\Control Panel\Desktop'
"$wine64" reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f </dev/null >/dev/null 2>&1 ||
    { echo "cannot set the display to $dpi DPI"; exit 1; }
"$@"
status=$?
"$wine64" reg delete "$key" /v LogPixels /f </dev/null >/dev/null 2>&1
exit $status
