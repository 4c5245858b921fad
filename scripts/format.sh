#!/usr/bin/env bash
# Lays out C++ files with clang-format and the repository's .clang-format:
# the files named, or every tracked C++ file when none is named. Only C++
# sources and headers reach clang-format; any other file named is refused.
# clang-format 14 reads every file it is given as C++ and has no ignore file,
# so a CMakeLists.txt or a shell script handed to it comes back mangled.
#   scripts/format.sh [--check] [file ...]
# --check changes nothing and exits non-zero when a file's layout differs.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=(-i)
if [ "${1:-}" = --check ]; then
  mode=(--dry-run -Werror)
  shift
fi
if [ "${1:-}" = -h ] || [ "${1:-}" = --help ]; then
  sed -n '2,8s/^# \{0,1\}//p' "$0"
  exit 0
fi

files=()
if [ $# -eq 0 ]; then
  mapfile -t files < <(git ls-files '*.cpp' '*.h')
else
  for file in "$@"; do
    case "$file" in
      *.cpp | *.h) files+=("$file") ;;
      *)
        echo "format.sh: $file is not a C++ source or header; left alone" >&2
        exit 2
        ;;
    esac
  done
fi
[ ${#files[@]} -eq 0 ] || clang-format "${mode[@]}" "${files[@]}"
