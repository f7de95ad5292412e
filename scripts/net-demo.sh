#!/usr/bin/env bash
# Runs Trova against the simulated controller reached over the network: starts
# kivra-sim and ser2net 4 (in the foreground, with its own YAML file) on
# loopback, publishes socket:// and rfc2217:// URLs as ports NET-RAW and
# NET-RFC2217, then starts the program. Two simulators, one per server, as two
# accepters on one device turn each other away.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

scripts/deps.sh
configure_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target Trova kivra-sim TrovaTranslations

work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    stop_virtual_display
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

yaml="$work/ser2net.yaml"
: >"$yaml"
for kind in raw rfc2217; do
    build/simulator/kivra-sim --name "SIM-$kind" --line-rate "$@" >"$work/sim-$kind.log" 2>&1 &
    pids+=($!)
done
# Each simulator says where it published itself, in the port directory the
# library reads: "kivra-sim: port NAME at PTY (link: LINK)".
announce='^kivra-sim: port [^ ]* at \([^ ]*\) (link: \(.*\))$'
announced() { grep -q "$announce" "$work/sim-$1.log"; }
for kind in raw rfc2217; do
    await 30 announced $kind || { cat "$work/sim-$kind.log" >&2; exit 1; }
done
raw_port=4011 rfc_port=4012
accepter_raw="tcp(nodelay),127.0.0.1,$raw_port"
accepter_rfc="telnet(rfc2217),tcp(nodelay),127.0.0.1,$rfc_port"
for kind in raw rfc2217; do
    device=$(sed -n "s/$announce/\1/p" "$work/sim-$kind.log")
    link=$(sed -n "s/$announce/\2/p" "$work/sim-$kind.log")
    portdir=$(dirname "$link")
    accepter=$accepter_raw
    [ $kind = rfc2217 ] && accepter=$accepter_rfc
    cat >>"$yaml" <<YAML
connection: &sim$kind
    accepter: $accepter
    connector: serialdev,$device,115200n82,local
    options:
        chardelay: false
YAML
done
/usr/sbin/ser2net -n -u -c "$yaml" -P "$work/ser2net.pid" &
pids+=($!)
listening() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
if ! await 30 listening $raw_port || ! await 30 listening $rfc_port; then
    echo "ser2net does not listen on ports $raw_port and $rfc_port" >&2
    exit 1
fi
# Each URL file appears whole and private, by a rename, so the program's
# port watcher sees it once, complete.
publish() {
    (umask 077 && echo "$2" >"$portdir/.$1.new") && mv "$portdir/.$1.new" "$portdir/$1"
}
publish NET-RAW "socket://127.0.0.1:$raw_port"
publish NET-RFC2217 "rfc2217://127.0.0.1:$rfc_port"
trap 'rm -f "$portdir/NET-RAW" "$portdir/NET-RFC2217"; cleanup' EXIT INT TERM

display_or_virtual
build/app/Trova
