#!/usr/bin/env bash
# Every command the documents give in their ```sh blocks, checked against the
# checkout, so that they stay runnable as written:
#
#   readme_commands.sh BUILD_DIR      (from the repository root)
#
# The quick ones are run (render_frames, every tool's --help, test.sh's
# usage); the rest are checked for what they need: the script exists and
# parses, the build target exists, the program is built, the file they move
# to is there. The documents' build/ is BUILD_DIR here, and their /tmp a
# folder of the test's own. A command of a kind this script does not know
# fails the test: say here how to check it.
set -u
build=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
checked=0

fail() {
  echo "FAIL $document: $command"
  echo "     $*"
  failures=$((failures + 1))
}

# The commands of one document, one a line: continuation lines joined,
# comments after the command dropped.
commands_of() {
  awk '/^```sh$/ { inside = 1; next } /^```/ { inside = 0; next }
       inside { if (sub(/\\$/, "")) { line = line $0; next } line = line $0; print line; line = "" }' "$1" |
    sed -e 's/[[:space:]]#.*$//' -e 's/^[[:space:]]*//' -e '/^#/d' -e 's/[[:space:]]*$//' \
      -e 's/[[:space:]][[:space:]]*/ /g' |
    grep -v '^$'
}

targets=$(cmake --build "$build" --target help 2>/dev/null | sed -n 's/^\.\.\. \([^ ]*\).*/\1/p')
stages=$(./test.sh --help | awk '/^  [a-z]/ { print $1 }')

# Checks one step of a command (the parts between &&).
check_step() {
  local step=$1 words
  read -r -a words <<<"$step"
  case $step in
    "cmake -S . -B build"*)
      ;;  # the test stage has configured its build folder
    "cmake --build build "*--target*)
      local target=${step##*--target }
      target=${target%% *}
      grep -qx -- "$target" <<<"$targets" || fail "no build target $target"
      ;;
    "CC=clang CXX=clang++ cmake -S . -B build-fuzz "*)
      ;;  # what the fuzz stage configures
    "cmake --build build-fuzz --target "* | build-fuzz/fuzz/*)
      # The fuzz stage's own build, which this stage does not make: the
      # target must be one fuzz/CMakeLists.txt defines.
      local target=${step#cmake --build build-fuzz --target }
      target=${target#build-fuzz/fuzz/}
      target=${target%% *}
      grep -Eq "(zarnic_fuzz_target|add_executable|add_custom_target)\($target[ )]" fuzz/CMakeLists.txt ||
        fail "fuzz/CMakeLists.txt defines no $target"
      ;;
    "xvfb-run "*)
      check_step "build/${step#* build/}"  # the program it runs
      ;;
    build/*" --help")
      # A tool's usage: printed on stdout with exit status 0, and nothing
      # made in the folder it runs in (no "--help" taken for a file name).
      "$build/${words[0]#build/}" --help >"$work/output" 2>&1 || fail "exit status $?"
      grep -q '^usage: ' "$work/output" || fail "no usage line: $(head -n 2 "$work/output")"
      [ ! -e ./--help ] || { rm -rf ./--help; fail "made a file or folder named --help"; }
      ;;
    build/tools/render_frames/render_frames*)
      local run="" word
      for word in "${words[@]}"; do
        case $word in
          build/*) word=$build/${word#build/} ;;
          /tmp | /tmp/*) word=$work${word#/tmp} ;;
        esac
        run+="$word "
      done
      eval "$run" >"$work/output" 2>&1 || fail "exit status $?: $(tail -n 3 "$work/output")"
      ! grep -q warning "$work/output" || fail "$(grep warning "$work/output" | head -n 3)"
      ;;
    build/*)
      [ -x "$build/${words[0]#build/}" ] || fail "${words[0]} is not built"
      ;;
    "./test.sh"*)
      local stage
      for stage in "${words[@]:1}"; do
        grep -qx -- "$stage" <<<"$stages" || fail "test.sh has no stage $stage"
      done
      bash -n test.sh || fail "test.sh does not parse"
      ;;
    [A-Z]*=*" "*)
      check_step "${step#* }"  # the command after its environment setting
      ;;
    ./*.sh | scripts/*.sh* | bench/*.sh* | fuzz/*.sh*)
      local script=${words[0]#./}
      [ -x "$script" ] || fail "$script is not an executable script"
      bash -n "$script" || fail "$script does not parse"
      ;;
    "mv "*)
      [ -e "${words[2]}" ] || fail "${words[2]} does not exist"
      ;;
    *)
      fail "a command of a kind tests/docs/readme_commands.sh does not check"
      ;;
  esac
}

./test.sh --help >/dev/null || { echo "FAIL: ./test.sh --help"; exit 1; }
for document in $(git ls-files '*.md'); do
  while IFS= read -r command; do
    checked=$((checked + 1))
    rest=$command
    while [ -n "$rest" ]; do
      check_step "${rest%% && *}"
      [ "${rest#* && }" = "$rest" ] && break
      rest=${rest#* && }
    done
  done < <(commands_of "$document")
done
echo "$checked commands checked, $failures failed"
[ "$failures" -eq 0 ]
