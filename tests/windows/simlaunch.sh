#!/bin/sh
# Starts and stops kivra-sim processes for tests running under wine. Wine can
# start a host program but gives the test no handle to wait for or end it, so
# this script does both and leaves marker files the test can see:
# DIR/NAME.ready (holding the simulator's process id) exists exactly while the
# simulator is serving its port link DIR/NAME; DIR/NAME.failed tells that it
# did not start (its output is in DIR/NAME.log).
#
# With start-net the simulator is served by a ser2net on a free loopback
# port, raw (socket) or telnet (rfc2217), and DIR/NAME.url holds its URL
# before DIR/NAME.ready appears. KIND@MS puts the tests' relay in front of
# ser2net, delaying MS each way (the program named by
# KIVRA_WINSIM_DELAY_PROXY).
#
#   simlaunch.sh start PROGRAM DIR NAME [kivra-sim fault options...]
#   simlaunch.sh start-net KIND[@MS] PROGRAM DIR NAME [fault options...]
#   simlaunch.sh stop DIR NAME
set -u

# Both waits poll in 20 ms steps for at most 200 steps (4 s).
steps=200
pause=0.02

# Whether /proc/net/tcp lists a socket listening on port $1.
listening() {
    hex=$(printf '%04X' "$1")
    awk -v p=":$hex" '$4 == "0A" && substr($2, length($2) - 4) == p { found = 1 }
        END { exit !found }' /proc/net/tcp
}

# Serves the pty behind link $dir/$name with ser2net; kind $1.
start_ser2net() {
    kind=$1
    device=$(readlink "$dir/$name")
    accepter="tcp(nodelay)"
    [ "$kind" = rfc2217 ] && accepter="telnet(rfc2217),tcp(nodelay)"
    port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    cat >"$dir/$name.yaml" <<YAML
connection: &kivra
    accepter: $accepter,127.0.0.1,$port
    connector: serialdev,$device,115200n82,local
    options:
        chardelay: false
YAML
    /usr/sbin/ser2net -n -u -c "$dir/$name.yaml" -P "$dir/$name.s2n.pid" \
        </dev/null >>"$dir/$name.log" 2>&1 &
    echo $! >"$dir/$name.s2n"
    i=0
    while ! listening "$port" && [ $i -lt $steps ]; do
        sleep $pause
        i=$((i + 1))
    done
    listening "$port" || return 1
    if [ -n "$delay" ]; then
        rm -f "$dir/$name.relay"
        "${KIVRA_WINSIM_DELAY_PROXY:?}" "$port" "$delay" "$dir/$name.relay" \
            </dev/null >>"$dir/$name.log" 2>&1 &
        echo $! >"$dir/$name.relaypid"
        i=0
        while [ ! -s "$dir/$name.relay" ] && [ $i -lt $steps ]; do
            sleep $pause
            i=$((i + 1))
        done
        [ -s "$dir/$name.relay" ] || return 1
        port=$(cat "$dir/$name.relay")
    fi
    echo "$kind://127.0.0.1:$port" >"$dir/$name.url"
}

action=${1:-}
kind=""
delay=""
if [ "$action" = start-net ]; then
    kind=${2%@*}
    [ "$kind" != "$2" ] && delay=${2#*@}
    shift
    action=start
fi
case $action in
start)
    program=$2 dir=$3 name=$4
    shift 4
    rm -f "$dir/$name.url"
    rm -f "$dir/$name.ready" "$dir/$name.failed"
    "$program" --port-dir "$dir" --name "$name" "$@" </dev/null >"$dir/$name.log" 2>&1 &
    pid=$!
    i=0
    while [ ! -c "$dir/$name" ] && kill -0 "$pid" 2>/dev/null && [ $i -lt $steps ]; do
        sleep $pause
        i=$((i + 1))
    done
    if [ -c "$dir/$name" ] && { [ -z "$kind" ] || start_ser2net "$kind"; }; then
        echo "$pid" >"$dir/$name.ready.tmp"
        mv "$dir/$name.ready.tmp" "$dir/$name.ready"
    else
        kill "$pid" 2>/dev/null
        [ -f "$dir/$name.s2n" ] && kill "$(cat "$dir/$name.s2n")" 2>/dev/null
        [ -f "$dir/$name.relaypid" ] && kill "$(cat "$dir/$name.relaypid")" 2>/dev/null
        : >"$dir/$name.failed"
    fi
    ;;
stop)
    dir=$2 name=$3
    if relay=$(cat "$dir/$name.relaypid" 2>/dev/null); then
        kill "$relay" 2>/dev/null
        rm -f "$dir/$name.relaypid" "$dir/$name.relay"
    fi
    if s2n=$(cat "$dir/$name.s2n" 2>/dev/null); then
        kill "$s2n" 2>/dev/null
        rm -f "$dir/$name.s2n" "$dir/$name.url"
    fi
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
