#!/usr/bin/env bash
# Draws each page of the settings dialog, in Chinese and in English, into
# docs/screenshots/settings-<page>-<cn|en>.png. Runs under Xvfb, with a
# simulated controller behind the dialog.
#
#   scripts/screenshots-settings.sh [build dir]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

build=${1:-build}
out=docs/screenshots

scripts/deps.sh
configure_build "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j 2 --target settings-screenshots TrovaTranslations

trap stop_virtual_display EXIT
start_virtual_display
mkdir -p "$out"
driver="$build/tests/app/settings/settings-screenshots/settings-screenshots"
for lang in cn en; do
    "$driver" "$out" "$lang" "$build/app/trans_en_US.qm" "$build/app/font.ttf"
done
ls "$out"/settings-*.png
