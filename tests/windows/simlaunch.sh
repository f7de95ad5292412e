#!/bin/sh
# Starts and stops kivra-sim processes for tests running under wine. Wine can
# start a host program but gives the test no handle to wait for or end it, so
# this script does both and leaves marker files the test can see:
# DIR/NAME.ready (holding the simulator's process id) exists exactly while the
# simulator is serving its port link DIR/NAME; DIR/NAME.failed tells that it
# did not start (its output is in DIR/NAME.log).
#
#   simlaunch.sh start PROGRAM DIR NAME [kivra-sim fault options...]
#   simlaunch.sh stop DIR NAME
set -u

# Both waits poll in 20 ms steps for at most 200 steps (4 s).
steps=200
pause=0.02

action=${1:-}
case $action in
start)
    program=$2 dir=$3 name=$4
    shift 4
    rm -f "$dir/$name.ready" "$dir/$name.failed"
    "$program" --port-dir "$dir" --name "$name" "$@" </dev/null >"$dir/$name.log" 2>&1 &
    pid=$!
    i=0
    while [ ! -c "$dir/$name" ] && kill -0 "$pid" 2>/dev/null && [ $i -lt $steps ]; do
        sleep $pause
        i=$((i + 1))
    done
    if [ -c "$dir/$name" ]; then
        echo "$pid" >"$dir/$name.ready.tmp"
        mv "$dir/$name.ready.tmp" "$dir/$name.ready"
    else
        kill "$pid" 2>/dev/null
        : >"$dir/$name.failed"
    fi
    ;;
stop)
    dir=$2 name=$3
    if pid=$(cat "$dir/$name.ready" 2>/dev/null); then
        kill "$pid" 2>/dev/null
        # The simulator removes its link as it exits (a zombie left unreaped
        # would still answer kill -0).
        i=0
        while [ -L "$dir/$name" ] && [ $i -lt $steps ]; do
            sleep $pause
            i=$((i + 1))
        done
    fi
    rm -f "$dir/$name.ready"
    ;;
*)
    echo "usage: simlaunch.sh start PROGRAM DIR NAME [options...] | stop DIR NAME" >&2
    exit 2
    ;;
esac
