#!/usr/bin/env bash
# Runs the packaged Windows demo (dist/zarnic-win64.zip, made by
# scripts/build-windows.sh) under wine, from the folder it unpacks to, in a
# wine prefix of its own. Without a display it runs on a virtual 1024x768 X
# screen. Exits with the demo's exit code. Run from the repository root.
set -euo pipefail
cd "$(dirname "$0")/.."
package=dist/zarnic-win64.zip
[ -f "$package" ] || { echo "no $package: run scripts/build-windows.sh first" >&2; exit 2; }

folder=build-win/run/zarnic-win64
rm -rf "$folder"
mkdir -p "$folder"
unzip -q "$package" -d "$folder"

export WINEPREFIX="${ZARNIC_WINEPREFIX:-$PWD/build-win/wine-run}"
export WINEDEBUG=-all
if [ ! -d "$WINEPREFIX" ]; then
  echo "Creating the wine prefix $WINEPREFIX (once, about 10 s)"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi

cd "$folder"
set +e
if [ -n "${DISPLAY:-}" ]; then
  wine zarnic.exe
else
  echo "No DISPLAY: running on a virtual 1024x768 X screen"
  xvfb-run -a -s "-screen 0 1024x768x24" wine zarnic.exe
fi
rc=$?
set -e
# The prefix's desktop process belongs to the screen just used; end it.
wineserver -k 2>/dev/null || true
echo "zarnic.exe exit code $rc"
exit "$rc"
