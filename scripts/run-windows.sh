#!/usr/bin/env bash
# Runs the packaged Windows demo (dist/zarnic-win64.zip, made by
# scripts/build-windows.sh) under wine, from the folder it unpacks to, in a
# wine prefix of its own; zarnic_play.exe as the argument runs the player
# instead. Without a display it runs on a virtual 1024x768 X screen. Exits
# with the program's exit code. Run from the repository root.
#   scripts/run-windows.sh [zarnic.exe|zarnic_play.exe]
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-zarnic.exe}
case $program in
  zarnic.exe | zarnic_play.exe) ;;
  *) echo "usage: scripts/run-windows.sh [zarnic.exe|zarnic_play.exe]" >&2; exit 2 ;;
esac
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
  wine "$program"
else
  echo "No DISPLAY: running on a virtual 1024x768 X screen"
  xvfb-run -a -s "-screen 0 1024x768x24" wine "$program"
fi
rc=$?
set -e
# The prefix's desktop process belongs to the screen just used; end it.
wineserver -k 2>/dev/null || true
# The program's own exit code, passed on, not the script's verdict; wine's
# ALSA and "X connection broken" lines above are harmless (no sound card,
# the screen closing).
echo "$program exit code $rc (the program's own: 1 after its seventeen seconds, usually 27 after Escape)"
exit "$rc"
