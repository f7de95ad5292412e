#!/usr/bin/env bash
# Sets up, builds and runs every test: a normal build, then the same tests
# built with AddressSanitizer and UndefinedBehaviorSanitizer, then the Debian
# package built, installed and checked (scripts/test-package.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== build (RelWithDebInfo)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== build (ASan + UBSan)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKIVRA_SANITIZE=ON -DKIVRA_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== fuzz targets (clang-14 libFuzzer, bounded runs)"
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIVRA_FUZZ=ON \
    -DKIVRA_BUILD_APP=OFF -DKIVRA_BUILD_TESTS=OFF -DKIVRA_BUILD_BENCH=OFF -DKIVRA_BUILD_REDUCED=OFF >/dev/null
cmake --build build-fuzz -j "$jobs" --target fuzz-targets
ctest --test-dir build-fuzz -L fuzz --output-on-failure

echo "== Debian package"
scripts/test-package.sh
