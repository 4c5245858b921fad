#!/usr/bin/env bash
# Builds zarnic.exe with Debian's mingw-w64 compilers in build-win/ and packs
# dist/zarnic-win64.zip: zarnic.exe and data/, the form in which the demo is
# handed out. Run from the repository root.
#   scripts/build-windows.sh [extra cmake configure arguments]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@"
cmake --build build-win --target zarnic -j2

# The executable may depend only on DLLs that every Windows ships.
allowed="kernel32.dll user32.dll gdi32.dll opengl32.dll glu32.dll winmm.dll msacm32.dll ole32.dll
  oleaut32.dll advapi32.dll shell32.dll msvcrt.dll"
imports=$(x86_64-w64-mingw32-objdump -p build-win/app/zarnic.exe | awk '/DLL Name:/ { print tolower($3) }')
for dll in $imports; do
  if ! grep -qw -- "$dll" <<<"$allowed"; then
    echo "zarnic.exe imports $dll, which Windows does not ship" >&2
    exit 1
  fi
done
echo "zarnic.exe imports: $(echo $imports)"

staging=build-win/package
rm -rf "$staging"
mkdir -p "$staging" dist
x86_64-w64-mingw32-strip -o "$staging/zarnic.exe" build-win/app/zarnic.exe
cp -r data "$staging/data"
rm -f dist/zarnic-win64.zip
(cd "$staging" && zip -qr -X ../../dist/zarnic-win64.zip zarnic.exe data)
echo "wrote dist/zarnic-win64.zip ($(du -h dist/zarnic-win64.zip | cut -f1))"
