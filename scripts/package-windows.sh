#!/usr/bin/env bash
# Packs what scripts/test-windows built for Windows:
# - build-win/sdk-windows/: the SDK. For each DLL (64-bit full, 64-bit
#   reduced, 32-bit reduced): its .def file, an import library for MSVC
#   (.lib) and one for MinGW (.dll.a). With them: the headers and the examples.
#   python/ holds the Python package as a wheel for 64-bit Windows,
#   kivra-<version>-py3-none-win_amd64.whl, carrying the full 64-bit DLL
#   (built with Debian's python3-build from the package the native build
#   lays out).
# - build-win/program/: the program's folder as it is installed: Trova.exe,
#   kivra.exe, kivra-sim.exe and kivra-demo.exe (stripped) with the full
#   64-bit KivraLibrary.dll, trans_en_US.qm and font.ttf beside them, and
#   help/ with the manuals and the SDK above.
# - build-win/kivra-<version>-windows.zip: the SDK, and the program folder as
#   Trova/ for use without installing.
# - build-win/kivra-<version>-setup.exe: the installer (packaging/windows).
# - build-win/kivra-<version>-py3-none-win_amd64.whl: the wheel, for the tests.
#   KIVRA_WIN_BUILD=dir    build tree of scripts/test-windows (default build-win)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
root=$(pwd)
build=${KIVRA_WIN_BUILD:-build-win}
[[ "$build" = /* ]] || build="$root/$build"
version=$(project_version)

if ! command -v zip >/dev/null || ! command -v makensis >/dev/null; then
    "$root/scripts/deps.sh" windows
fi

sdk="$build/sdk-windows"
zip_file="$build/kivra-$version-windows.zip"
rm -rf "$sdk" "$zip_file"
mkdir -p "$sdk/include" "$sdk/examples"

# folder in the zip, DLL's build folder, dlltool prefix, machine
variants=(
    "x64 $build/win64/library x86_64-w64-mingw32 i386:x86-64"
    "x64-reduced $build/win64/library/reduced x86_64-w64-mingw32 i386:x86-64"
    "x86-reduced $build/win32/library/reduced i686-w64-mingw32 i386"
)
for variant in "${variants[@]}"; do
    read -r name dir tool machine <<<"$variant"
    dll="$dir/KivraLibrary.dll"
    def="$dir/KivraLibrary.def"
    [ -f "$dll" ] && [ -f "$def" ] || { echo "missing $dll or its .def: run scripts/test-windows" >&2; exit 1; }
    mkdir -p "$sdk/$name"
    cp "$dll" "$sdk/$name/"
    # The linker's .def names no library; import libraries need it.
    { echo "LIBRARY KivraLibrary.dll"; grep -v '^LIBRARY' "$def"; } >"$sdk/$name/KivraLibrary.def"
    "$tool-dlltool" -m "$machine" -d "$sdk/$name/KivraLibrary.def" -D KivraLibrary.dll \
        -l "$sdk/$name/libKivraLibrary.dll.a"
    # MSVC's linker reads the same archive format; lib /def gives an
    # equivalent one on a Windows machine.
    cp "$sdk/$name/libKivraLibrary.dll.a" "$sdk/$name/KivraLibrary.lib"
done

# The wheel: the package as the native build laid it out, the DLL beside it,
# tagged for 64-bit Windows (a pure package would be tagged for any).
wheel_name="kivra-$version-py3-none-win_amd64.whl"
package="$build/native/python/package"
[ -f "$package/kivra/_vocabulary.py" ] || { echo "missing $package: run scripts/test-windows" >&2; exit 1; }
wheel_src=$(mktemp -d)
trap 'rm -rf "$wheel_src"' EXIT
cp -r "$package/." "$wheel_src/"
find "$wheel_src" -name __pycache__ -prune -exec rm -rf {} +
cp "$build/win64/library/KivraLibrary.dll" "$wheel_src/kivra/"
printf '[bdist_wheel]\nplat_name = win_amd64\n' >"$wheel_src/setup.cfg"
rm -f "$build/$wheel_name"
/usr/bin/python3 -m build --wheel --no-isolation --outdir "$build" "$wheel_src" >"$build/wheel.log" 2>&1 ||
    { cat "$build/wheel.log" >&2; exit 1; }
[ -f "$build/$wheel_name" ] || { echo "no $wheel_name made" >&2; exit 1; }
mkdir -p "$sdk/python"
cp "$build/$wheel_name" "$sdk/python/"

cp library/include/KivraLibrary.h library/include/KivraVocabulary.h "$sdk/include/"
awk '/^```c$/{f=1;next} /^```$/{if(f)exit} f' README.md >"$sdk/examples/demo.c"
# The SDK's own examples, one folder a language, as the Linux SDK has them.
cp -r docs/sdk/examples/. "$sdk/examples/"
cat >"$sdk/README.txt" <<TEXT
KivraLibrary $version for Windows

x64/          64-bit, full export set (43 functions)
x64-reduced/  64-bit, reduced export set (37 functions)
x86-reduced/  32-bit, reduced export set (37 functions)
include/      KivraLibrary.h, the C interface with its documentation, and
              KivraVocabulary.h, its codes, ranges and result texts as a table
examples/     example programs
python/       the Python package for 64-bit Windows with the full DLL inside,
              installed without a network: pip install kivra-$version-py3-none-win_amd64.whl

Each folder holds KivraLibrary.dll, its export list KivraLibrary.def and two
import libraries: KivraLibrary.lib (MSVC) and libKivraLibrary.dll.a (MinGW).
All functions use the C calling convention (cdecl) with undecorated names.

MSVC:   cl demo.c /I include x64\\KivraLibrary.lib
        (or make the .lib yourself: lib /def:KivraLibrary.def /machine:x64)
MinGW:  gcc demo.c -Iinclude -Lx64 -lKivraLibrary
C#:     [DllImport("KivraLibrary.dll", CallingConvention = CallingConvention.Cdecl)]
LabVIEW: Call Library Function Node on KivraLibrary.dll, C calling convention.

Put KivraLibrary.dll beside the calling program or on its PATH.
TEXT
# The program's folder. The manuals are the PDFs the native build renders.
program="$build/program"
app="$build/win64/app"
help="$build/native/app/help"
rm -rf "$program"
mkdir -p "$program/help/SDK"
for f in "$app/Trova.exe" "$app/trans_en_US.qm" "$app/font.ttf" \
    "$help/Kivra软件使用说明书.pdf" "$help/Kivra-User-Manual-en.pdf" \
    "$help/SDK/KivraLibrary-API-Reference.pdf"; do
    [ -f "$f" ] || { echo "missing $f: run scripts/test-windows" >&2; exit 1; }
done
for exe in "$app/Trova.exe" "$build/win64/cli/kivra.exe" "$build/win64/simulator/kivra-sim.exe" \
    "$build/win64/packaging/windows/demo/kivra-demo.exe"; do
    [ -f "$exe" ] || { echo "missing $exe: run scripts/test-windows" >&2; exit 1; }
    x86_64-w64-mingw32-strip -o "$program/$(basename "$exe")" "$exe"
done
cp "$build/win64/library/KivraLibrary.dll" "$app/trans_en_US.qm" "$app/font.ttf" "$program/"
cp "$help/Kivra软件使用说明书.pdf" "$help/Kivra-User-Manual-en.pdf" "$program/help/"
cp -r "$sdk/." "$program/help/SDK/"
cp "$help/SDK/KivraLibrary-API-Reference.pdf" "$program/help/SDK/"

(cd "$sdk" && zip -qr "$zip_file" .)
ln -s "$program" "$build/Trova"
(cd "$build" && zip -qr "$zip_file" Trova)
rm "$build/Trova"
echo "$zip_file"

installer="$build/kivra-$version-setup.exe"
"$root/packaging/windows/make-installer.sh" "$program" "$version" "$installer"
echo "$installer"
