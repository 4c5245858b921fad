#!/usr/bin/env bash
# Builds zarnic.exe (the demo) and zarnic_play.exe (the player) with Debian's
# mingw-w64 compilers in build-win/ and packs dist/zarnic-win64.zip: both
# programs and data/, the form in which they are handed out. Run from the
# repository root.
#   scripts/build-windows.sh [extra cmake configure arguments]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

source scripts/ccache_launcher.sh
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@"
cmake --build build-win --target zarnic zarnic_play -j2

# The executables may depend only on DLLs that every Windows ships, and the
# player on the same ones as the demo: they are the same program but for
# their pace.
allowed="kernel32.dll user32.dll gdi32.dll opengl32.dll glu32.dll winmm.dll msacm32.dll ole32.dll
  oleaut32.dll advapi32.dll shell32.dll msvcrt.dll"
dlls_of() { x86_64-w64-mingw32-objdump -p "build-win/app/$1" | awk '/DLL Name:/ { print tolower($3) }' | sort; }
imports=$(dlls_of zarnic.exe)
for dll in $imports; do
  if ! grep -qw -- "$dll" <<<"$allowed"; then
    echo "zarnic.exe imports $dll, which Windows does not ship" >&2
    exit 1
  fi
done
if [ "$(dlls_of zarnic_play.exe)" != "$imports" ]; then
  echo "zarnic_play.exe imports $(echo $(dlls_of zarnic_play.exe)), zarnic.exe $(echo $imports)" >&2
  exit 1
fi
echo "zarnic.exe and zarnic_play.exe import: $(echo $imports)"

staging=build-win/package
rm -rf "$staging"
mkdir -p "$staging" dist
for program in zarnic.exe zarnic_play.exe; do
  x86_64-w64-mingw32-strip -o "$staging/$program" "build-win/app/$program"
done
cp -r data "$staging/data"
rm -f dist/zarnic-win64.zip
(cd "$staging" && zip -qr -X ../../dist/zarnic-win64.zip zarnic.exe zarnic_play.exe data)
echo "wrote dist/zarnic-win64.zip ($(du -h dist/zarnic-win64.zip | cut -f1))"
