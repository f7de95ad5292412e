#!/usr/bin/env bash
# Proves deps.sh's rule on this machine, with a package name that no archive
# holds: in the place of wine's 32-bit loader, the run goes on and says why;
# added to what the Windows build needs, the run stops with apt's message.
# Run after deps.sh windows has installed the rest, so nothing else is missing.
set -uo pipefail
cd "$(dirname "$0")/.."
absent=kivra-check-no-such-package
status=0
out=$(KIVRA_DEPS_CHECK_WINE32=$absent scripts/deps.sh windows 2>&1)
rc=$?
if [ $rc -ne 0 ]; then
    echo "FAIL: an uninstallable 32-bit loader stopped deps.sh (exit $rc):"
    echo "$out"
    status=1
elif /lib/ld-linux.so.2 --version >/dev/null 2>&1 &&
    ! grep -q "^deps.sh: $absent not installable, so the 32-bit Windows tests will not run (" <<<"$out"; then
    echo "FAIL: deps.sh did not say why the 32-bit loader is missing:"
    echo "$out"
    status=1
fi
out=$(KIVRA_DEPS_CHECK_REQUIRED=$absent scripts/deps.sh windows 2>&1)
rc=$?
if [ $rc -eq 0 ]; then
    echo "FAIL: deps.sh went on without a package the build needs:"
    echo "$out"
    status=1
elif ! grep -q "^E: .*$absent" <<<"$out"; then
    echo "FAIL: deps.sh stopped without apt's message:"
    echo "$out"
    status=1
fi
[ $status -eq 0 ] && echo "deps.sh: an optional package may be missing, a needed one stops the run"
exit $status
