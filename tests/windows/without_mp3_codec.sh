#!/usr/bin/env bash
# Runs a whole-program scenario (tests/shell_whole/run_scenario.sh, with the
# same arguments) as on a Windows that has no MP3 codec, as the N editions
# without their Media Feature Pack: in a copy of the wine prefix that
# WINEPREFIX names, whose Audio Compression Manager lists no Layer-3 codec.
# The copy is made of hard links (quick, no disk); every file that is
# changed or may be written is replaced by one of the copy's own, so the
# original prefix is never touched.
set -u
: "${WINEPREFIX:?WINEPREFIX must name the wine prefix to copy}"
here="$(cd "$(dirname "$0")" && pwd)"
original=$WINEPREFIX
copy=$(mktemp -d)
trap 'WINEPREFIX=$copy wineserver -k 2>/dev/null; rm -rf "$copy"' EXIT
cp -al "$original/." "$copy/" || exit 1
for f in system.reg user.reg userdef.reg; do
  [ -e "$original/$f" ] && cp --remove-destination "$original/$f" "$copy/$f"
done
sed '/^msacm\.l3acm=/d' "$original/drive_c/windows/system.ini" >"$copy/system.ini.new" &&
  mv -f "$copy/system.ini.new" "$copy/drive_c/windows/system.ini" || exit 1
rm -f "$copy/drive_c/windows/system32/l3codeca.acm"
WINEPREFIX=$copy bash "$here/../shell_whole/run_scenario.sh" "$@"
