#!/bin/sh
# Runs a Qt Test program under wine and prints its log. Without a console
# (ctest's pipes) Qt Test writes to the debugger channel, which wine does not
# show, so the program writes its log into a file, printed here whole.
#
#   qtest.sh WINE64 PROGRAM.exe LOG [test arguments...]
wine64=$1 program=$2 log=$3
shift 3
rm -f "$log"
"$wine64" "$program" -o "Z:$log,txt" "$@"
status=$?
[ -f "$log" ] && cat "$log"
exit $status
