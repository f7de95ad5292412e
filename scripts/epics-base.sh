#!/usr/bin/env bash
# Builds EPICS base for this machine from Debian's own epics-base source, with
# what an IOC serving Channel Access and pvAccess needs (libCom, ca, dbCore,
# the standard records and device support, pvData, pvAccess with its tools
# pvget and pvput, QSRV), and installs it into a cache folder outside the
# repository. When that folder is there already it does nothing. Prints the
# folder (EPICS_BASE) on its last line.
#
#   scripts/epics-base.sh              build when missing, print the prefix
#   scripts/epics-base.sh --prefix     only print where the prefix is (or would be)
#   scripts/epics-base.sh --cached     only tell, by the exit status, whether it is built
#   KIVRA_EPICS_CACHE=dir              cache root (default /var/cache/kivra, else
#                                      ~/.cache/kivra when that is not writable)
#   KIVRA_EPICS_JOBS=n                 parallel compile jobs (default: all cores)
#
# Exit status 3: the archive gave no epics-base source (no deb-src entry it
# serves, or a download that failed); anything else that fails is 1.
#
# The key of the folder is the version, the source tarball's checksum, the
# build's settings and folders and the compiler's version, so a change of any
# of them builds a new base beside the old one.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
root=$(pwd)

base_version=7.0.3.1
src_package=epics-base
orig_tarball=${src_package}_${base_version}.orig.tar.gz
orig_sha256=1de65638a806be6c0eebc0b7840ed9dd1a1a7879bcb6ab0da88a1e8e456b709c

# Settings added to configure/CONFIG_SITE.local: library paths relative to
# each binary (the tree is built aside and then moved into the cache), and
# the host only.
site_settings=(
    "LINKER_USE_RPATH = ORIGIN"
    "CROSS_COMPILER_TARGET_ARCHS ="
)
# The folders built, in order: each needs those before it installed. Tests,
# examples, the gateway and the client modules an IOC does not use are left
# out. modules/RELEASE.host writes the file that tells the bundled modules
# where base is.
build_dirs=(
    configure src
    modules/libcom/src modules/ca/src modules/database/src
    modules/RELEASE.host
    modules/pvData/configure modules/pvData/src
    modules/pvAccess/configure modules/pvAccess/src modules/pvAccess/src/ca
    modules/pvAccess/src/ioc modules/pvAccess/pvtoolsSrc
    modules/pva2pva/configure modules/pva2pva/pdbApp
)

compiler_version=$(g++ --version 2>/dev/null | head -n 1 || echo none)
key=$(build_key "$base_version" "$orig_sha256" "${site_settings[@]}" "${build_dirs[@]}" \
    "$compiler_version")
cache=$(build_cache_root KIVRA_EPICS_CACHE)
prefix=$cache/epics-base-$base_version-$key
answer_from_cache "$prefix" "EPICS base $base_version" "${1:-}"

"$root/scripts/deps.sh" epics-base
mkdir -p "$cache"
work=$(mktemp -d "$cache/epics-build.XXXXXX")
trap 'rm -rf "$work"' EXIT
started=$(date +%s)

echo "== EPICS base $base_version source (Debian's $src_package)"
fetch_debian_source "$work" "$src_package" "$base_version-" "$orig_tarball" "$orig_sha256"
printf '%s\n' "${site_settings[@]}" >"$work/src/configure/CONFIG_SITE.local"

echo "== build"
jobs=${KIVRA_EPICS_JOBS:-$(nproc)}
# Built straight into the staging folder, then published whole, so an
# interrupted build never leaves a prefix that looks complete.
stage=$work/root/$(basename "$prefix")
# The bundled modules read their RELEASE file by the host's name before
# base's own configuration has set it.
EPICS_HOST_ARCH=$(perl "$work/src/src/tools/EpicsHostArch.pl")
export EPICS_HOST_ARCH
for dir in "${build_dirs[@]}"; do
    target=()
    case $dir in
    */RELEASE.host) target=(RELEASE.host) dir=${dir%/RELEASE.host} ;;
    esac
    # A parallel make reports its first error far above its last lines.
    make -C "$work/src/$dir" -j "$jobs" INSTALL_LOCATION="$stage" "${target[@]}" \
        >>"$work/build.log" 2>&1 ||
        { grep -E -B2 -A6 ' error:|\*\*\*' "$work/build.log" | head -n 80; exit 1; }
done
built=$(date +%s)
# What a program that links base in has to carry along.
cp "$work/src/LICENSE" "$stage/LICENSE"
{
    echo "epics-base $base_version ($(basename "$dsc" .dsc))"
    echo "compiler $compiler_version"
    echo "settings ${site_settings[*]}"
    echo "folders ${build_dirs[*]}"
} >"$stage/kivra-epics-build.txt"
publish_build "$stage" "$prefix"
echo "   in all $((built - started)) s"
echo "$prefix"
