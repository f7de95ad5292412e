#!/bin/sh
# Builds the support module as a facility builds it: a copy of the module
# made with EPICS make against a base, with KIVRA at the library's headers
# and KIVRA_LIBRARY_DIR at its build; then checks what it installs and that
# the library resolves every symbol.
#   support_make.sh MODULE OUT EPICS_BASE KIVRA KIVRA_LIBRARY_DIR
set -eu
module=$1 out=$2 base=$3 kivra=$4 kivra_lib=$5
rm -rf "$out"
mkdir -p "$out"
cp -R "$module/Makefile" "$module/configure" "$module/src" "$module/db" "$out/"
printf 'EPICS_BASE = %s\nKIVRA = %s\n' "$base" "$kivra" >"$out/configure/RELEASE.local"
printf 'KIVRA_LIBRARY_DIR = %s\n' "$kivra_lib" >"$out/configure/CONFIG_SITE.local"
# Base's build tools name Debian's own Python, whatever shim the PATH has.
make -C "$out" PYTHON=/usr/bin/python3 >"$out/make.log" 2>&1 ||
    { grep -B2 -A3 -E 'error|Error' "$out/make.log" | head -n 40; exit 1; }
for f in lib/linux-x86_64/libkivraShutter.so dbd/kivraShutterSupport.dbd db/kivraShutter.db; do
    [ -f "$out/$f" ] || { echo "EPICS make gave no $f"; exit 1; }
done
if LD_LIBRARY_PATH=$kivra_lib ldd -r "$out/lib/linux-x86_64/libkivraShutter.so" 2>&1 |
    grep 'undefined symbol\|not found'; then
    exit 1
fi
echo "support module built with EPICS make: lib, dbd and db installed"
