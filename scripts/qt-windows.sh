#!/usr/bin/env bash
# Builds a static Qt 5.15 for 64-bit Windows (mingw-w64, posix threads) from
# Debian's own qtbase source, with only what Trova and its tests need, and
# installs it into a cache folder outside the repository. When that folder is
# there already it does nothing. Prints the folder on its last line.
#
#   scripts/qt-windows.sh              build when missing, print the prefix
#   scripts/qt-windows.sh --prefix     only print where the prefix is (or would be)
#   scripts/qt-windows.sh --cached     only tell, by the exit status, whether it is built
#   KIVRA_QT_CACHE=dir                 cache root (default /var/cache/kivra, else
#                                      ~/.cache/kivra when that is not writable)
#   KIVRA_QT_JOBS=n                    parallel compile jobs (default: all cores)
#
# The key of the folder is the Qt version, the source tarball's checksum, the
# configure options and the compiler's version, so a change of any of them
# builds a new Qt beside the old one.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
root=$(pwd)

qt_version=5.15.8
src_package=qtbase-opensource-src
orig_tarball=${src_package}_${qt_version}+dfsg.orig.tar.xz
orig_sha256=d1c61b777850c2953862a8d52c7afb56350a99b23af763beb44c51c6fe8c0e38
triplet=x86_64-w64-mingw32

# Only the modules and plugins a Widgets program and Qt Test need: Core, Gui,
# Widgets, Test; the windows, offscreen and minimal platforms; the Windows
# styles. Debian's source drops src/3rdparty/wintab, hence no tablet events.
configure_options=(
    -xplatform win32-g++ -opensource -confirm-license -release -static -static-runtime
    -nomake examples -nomake tests -no-compile-examples
    -no-opengl -no-direct2d -no-dbus -no-icu -no-ssl -no-openssl -no-vulkan
    -no-feature-sql -no-feature-network -no-feature-xml -no-feature-concurrent
    -no-feature-printer -no-feature-tabletevent -no-feature-sessionmanager
    -no-gif -no-libjpeg -no-feature-imageformat_ppm -no-feature-imageformat_xbm
    -qt-zlib -qt-libpng -qt-freetype -qt-harfbuzz -qt-pcre -no-fontconfig
)

compiler=$triplet-g++-posix
compiler_version=$($compiler --version 2>/dev/null | head -n 1 || echo none)
key=$(build_key "$qt_version" "$orig_sha256" "${configure_options[@]}" "$compiler_version")
cache=$(build_cache_root KIVRA_QT_CACHE)
prefix=$cache/qt5-mingw64-$qt_version-$key
answer_from_cache "$prefix" "Qt $qt_version for $triplet" "${1:-}"

"$root/scripts/deps.sh" qt-windows
mkdir -p "$cache"
work=$(mktemp -d "$cache/qt-build.XXXXXX")
trap 'rm -rf "$work"' EXIT
started=$(date +%s)

echo "== Qt $qt_version source (Debian's $src_package)"
fetch_debian_source "$work" "$src_package" "$qt_version+dfsg-" "$orig_tarball" "$orig_sha256"

# The posix-thread compilers under the plain names qmake's win32-g++ uses.
tools=$work/tools
mkdir -p "$tools"
for t in gcc g++; do ln -s "$(command -v $triplet-$t-posix)" "$tools/$triplet-$t"; done
for t in ar ranlib strip objcopy windres nm; do ln -s "$(command -v $triplet-$t)" "$tools/$triplet-$t"; done

echo "== configure"
mkdir -p "$work/build"
(cd "$work/build" && "$work/src/configure" -prefix "$prefix" \
    -device-option CROSS_COMPILE="$tools/$triplet-" "${configure_options[@]}") \
    >"$work/configure.log" 2>&1 || { tail -n 60 "$work/configure.log"; exit 1; }
configured=$(date +%s)
echo "   $((configured - started)) s"

echo "== build"
jobs=${KIVRA_QT_JOBS:-$(nproc)}
# A parallel make reports its first error far above its last lines.
(cd "$work/build" && make -j "$jobs" >"$work/build.log" 2>&1) ||
    { grep -E -B2 -A6 ' error:|\*\*\*' "$work/build.log" | head -n 80; exit 1; }
# Installed aside first, then published whole, so an interrupted build never
# leaves a prefix that looks complete.
(cd "$work/build" && make install INSTALL_ROOT="$work/root" >"$work/install.log" 2>&1) ||
    { tail -n 30 "$work/install.log"; exit 1; }
built=$(date +%s)
staged=$work/root$prefix
{
    echo "qt $qt_version ($(basename "$dsc" .dsc))"
    echo "compiler $compiler_version"
    echo "configure ${configure_options[*]}"
} >"$staged/kivra-qt-build.txt"
publish_build "$staged" "$prefix"
echo "   build $((built - configured)) s, in all $((built - started)) s"
echo "$prefix"
