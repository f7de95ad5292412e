#!/usr/bin/env bash
# Builds the Debian package: build-package/kivra_<version>_amd64.deb, and
# where an EPICS base is at hand (scripts/epics-base.sh has cached one, or
# KIVRA_EPICS_BASE names one) kivra-ioc_<version>_amd64.deb beside it.
#   scripts/package.sh                 build (installs the Debian packages needed)
#   KIVRA_PACKAGE_BUILD=dir            build tree (default build-package)
#   KIVRA_PACKAGE_JOBS=n               parallel compile jobs (default: all cores)
# Install it with: apt-get install ./build-package/kivra_<version>_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
root=$(pwd)
build="$root/${KIVRA_PACKAGE_BUILD:-build-package}"
jobs=${KIVRA_PACKAGE_JOBS:-$(nproc)}

scripts/deps.sh

# Debian's hardening flags (fortified functions, stack protector, full RELRO,
# PIE), as a package built by dpkg-buildpackage would have them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)"
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

configure_build "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DKIVRA_EPICS_BASE="${KIVRA_EPICS_BASE:-}" \
    -DKIVRA_BUILD_TESTS=OFF -DKIVRA_BUILD_BENCH=OFF \
    -DKIVRA_FONT_LINK=/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf \
    -DCMAKE_C_FLAGS="$cflags" -DCMAKE_CXX_FLAGS="$cxxflags" \
    -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags"
cmake --build "$build" -j "$jobs"
rm -f "$build"/kivra_*.deb "$build"/kivra-ioc_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
if [ -f "$build/CPackConfig-ioc.cmake" ]; then
    (cd "$build" && cpack -G DEB --config CPackConfig-ioc.cmake >/dev/null)
    ls "$build"/kivra-ioc_*.deb
else
    echo "package.sh: no EPICS base here, so no kivra-ioc package (scripts/epics-base.sh builds one)" >&2
fi
deb=$(ls "$build"/kivra_*.deb)

# CPack gives any package with a library below /usr/lib a postinst and a
# postrm that call ldconfig; the package's ldconfig trigger does that job,
# so they are taken out again.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -R "$deb" "$unpacked/kivra"
rm -f "$unpacked/kivra/DEBIAN/postinst" "$unpacked/kivra/DEBIAN/postrm"
dpkg-deb --root-owner-group --build "$unpacked/kivra" "$deb" >/dev/null
echo "$deb"
