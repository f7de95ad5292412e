#!/usr/bin/env bash
# Runs Trova against the simulated controller reached over the network: starts
# kivra-sim and ser2net 4 (in the foreground, with its own YAML file) on
# loopback, publishes socket:// and rfc2217:// URLs as ports NET-RAW and
# NET-RFC2217, then starts the program. Two simulators, one per server, as two
# accepters on one device turn each other away.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target Trova kivra-sim TrovaTranslations

work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

portdir=$(build/simulator/kivra-sim --help >/dev/null 2>&1; echo "${KIVRA_PORT_DIR:-${XDG_RUNTIME_DIR:+$XDG_RUNTIME_DIR/kivra-ports}}")
[ -n "$portdir" ] || portdir="/tmp/kivra-ports-$(id -u)"

yaml="$work/ser2net.yaml"
: >"$yaml"
for kind in raw rfc2217; do
    build/simulator/kivra-sim --name "SIM-$kind" --line-rate "$@" >"$work/sim-$kind.log" 2>&1 &
    pids+=($!)
done
sleep 0.5
raw_port=4011 rfc_port=4012
accepter_raw="tcp(nodelay),127.0.0.1,$raw_port"
accepter_rfc="telnet(rfc2217),tcp(nodelay),127.0.0.1,$rfc_port"
for kind in raw rfc2217; do
    device=$(readlink "$portdir/SIM-$kind")
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
sleep 0.5
echo "socket://127.0.0.1:$raw_port" >"$portdir/NET-RAW"
echo "rfc2217://127.0.0.1:$rfc_port" >"$portdir/NET-RFC2217"
chmod 600 "$portdir/NET-RAW" "$portdir/NET-RFC2217"
pids+=()
trap 'rm -f "$portdir/NET-RAW" "$portdir/NET-RFC2217"; cleanup' EXIT INT TERM

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: running under Xvfb (nothing will be visible)."
    xvfb-run -a -s "-screen 0 1024x768x24" build/app/Trova
else
    build/app/Trova
fi
