#!/usr/bin/env bash
# Runs the demo once on its own virtual X screen and checks what a viewer
# would see: the fullscreen window, the questions asked, how and when the run
# ends, and that the screen keeps its own mode afterwards.
#
#   run_scenario.sh SCENARIO ZARNIC SHOW_BOX SEND_CLOSE
#
# Run from the directory that holds data/.
set -u

scenario=$1
zarnic=$2
show_box=$3
send_close=$4

case $scenario in
  small_screen_*) screen=800x600 ;;
  *) screen=1024x768 ;;
esac

if [ -z "${ZARNIC_INSIDE_XVFB:-}" ]; then
  # Start the display search at a random number: other tests on this machine
  # start their own servers at the same moment.
  ZARNIC_INSIDE_XVFB=1 exec xvfb-run -a -n $(( 100 + RANDOM % 800 )) \
    -s "-screen 0 ${screen}x24" bash "$0" "$@"
fi

readonly title="zarnic's engin"
readonly question=$'The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?'
readonly yes_no_exclamation=0x34
readonly ok_stop=0x10

work=$(mktemp -d)
demo_pid=""
reference_pid=""
cleanup() {
  [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null
  [ -n "$reference_pid" ] && kill "$reference_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL ($scenario): $*"
  echo "display $DISPLAY; demo ${demo_pid:-not} running; named windows:"
  xwininfo -root -tree | grep -v 'has no name' | grep '"' | head -20
  exit 1
}

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# Prints the ids of the top-level windows whose name is exactly $1.
windows_named() {
  xwininfo -root -tree | awk -v name="\"$1\":" 'index($0, name) { print $1 }'
}

# Waits up to $2 seconds for a window named $1 other than $3; prints its id.
wait_for_window() {
  local deadline=$(( $(now_ms) + $2 * 1000 )) id
  while [ "$(now_ms)" -lt "$deadline" ]; do
    for id in $(windows_named "$1"); do
      if [ "$id" != "${3:-}" ]; then
        sleep 0.5  # let it draw itself
        echo "$id"
        return 0
      fi
    done
    sleep 0.1
  done
  return 1
}

geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /^  Width/ { w = $NF } /^  Height/ { h = $NF } END { print w "x" h "+" x "+" y }'
}

start_demo() {
  started_ms=$(now_ms)
  SDL_AUDIODRIVER=dummy "$zarnic" &
  demo_pid=$!
}

# Waits up to $1 seconds for the demo to end; sets exit_code and run_ms.
finish_demo() {
  local deadline=$(( $(now_ms) + $1 * 1000 ))
  while kill -0 "$demo_pid" 2>/dev/null; do
    [ "$(now_ms)" -lt "$deadline" ] || fail "the demo did not end within $1 s"
    sleep 0.1
  done
  wait "$demo_pid"
  exit_code=$?
  demo_pid=""
  run_ms=$(( $(now_ms) - started_ms ))
  echo "exit code $exit_code after $run_ms ms"
}

expect_exit_code() {
  [ "$exit_code" -eq "$1" ] || fail "exit code $exit_code, expected $1"
}

# Escape ends the run with the wParam of the last message taken: the WM_CHAR
# (27) that its key-down was translated into, or, when a timer tick was already
# due, the WM_TIMER (identifier 1) taken after it and before the idle pass
# that sees the key held. A slow frame makes the second order common, so
# either code counts; what shows that Escape, not the time limit, ended the run
# is that it ended promptly after the press and well before the seventeenth
# tick.
expect_ended_by_escape() {
  [ "$exit_code" -eq 27 ] || [ "$exit_code" -eq 1 ] ||
    fail "exit code $exit_code, expected 27 (WM_CHAR) or 1 (WM_TIMER)"
  local after_press=$(( started_ms + run_ms - pressed_ms ))
  [ "$after_press" -le 5000 ] || fail "ended $after_press ms after Escape was pressed"
  [ "$run_ms" -lt 16000 ] || fail "ran $run_ms ms, as long as the time limit"
}

expect_screen_mode() {
  local dimensions
  dimensions=$(xdpyinfo | awk '/dimensions:/ { print $2 }')
  [ "$dimensions" = "$screen" ] || fail "screen is $dimensions after the run, expected $screen"
}

press_escape() {
  pressed_ms=$(now_ms)
  xdotool windowfocus --sync "$1" keydown Escape
  sleep 0.3
  xdotool keyup Escape
}

# Compares the box $1 shows with one the platform layer draws for the
# expected caption $2, type $3 and text $4.
expect_box() {
  import -window "$1" "$work/shown.png" || fail "cannot capture the box"
  "$show_box" "$2" "$3" "$4" > "$work/reference_answer" &
  reference_pid=$!
  local reference
  reference=$(wait_for_window "$2" 10 "$1") || fail "the reference box did not appear"
  import -window "$reference" "$work/expected.png" || fail "cannot capture the reference box"
  xdotool windowfocus --sync "$reference" key Escape
  wait "$reference_pid"
  reference_pid=""
  compare -metric AE "$work/shown.png" "$work/expected.png" "$work/difference.png" 2>"$work/ae" ||
    fail "box \"$2\" differs from the expected one in $(cat "$work/ae") pixels"
}

case $scenario in
  quiet_run)
    start_demo
    window=$(wait_for_window "$title" 60) || fail "no demo window"
    [ "$(geometry "$window")" = "1024x768+0+0" ] ||
      fail "window is $(geometry "$window"), expected fullscreen 1024x768+0+0"
    finish_demo 60
    expect_exit_code 1  # the seventeenth WM_TIMER, identifier 1
    [ "$run_ms" -ge 16000 ] || fail "ended after $run_ms ms, before the seventeenth tick"
    ;;
  escape_held)
    start_demo
    window=$(wait_for_window "$title" 60) || fail "no demo window"
    sleep 1
    press_escape "$window"
    finish_demo 10
    expect_ended_by_escape
    ;;
  close_by_signal)
    start_demo
    wait_for_window "$title" 60 >/dev/null || fail "no demo window"
    sleep 1
    kill -TERM "$demo_pid"
    finish_demo 10
    expect_exit_code 0
    ;;
  close_by_window_manager)
    start_demo
    window=$(wait_for_window "$title" 60) || fail "no demo window"
    sleep 1
    "$send_close" "$window" || fail "cannot send the close request"
    finish_demo 10
    expect_exit_code 0
    ;;
  small_screen_yes)
    start_demo
    box=$(wait_for_window "Vesk GL" 60) || fail "no fullscreen question"
    expect_box "$box" "Vesk GL" "$yes_no_exclamation" "$question"
    xdotool windowfocus --sync "$box" key Return
    window=$(wait_for_window "$title" 60) || fail "no demo window after Yes"
    [ "$(geometry "$window")" = "1024x768+0+0" ] ||
      fail "window is $(geometry "$window"), expected a 1024x768 client"
    [ -z "$(windows_named ERROR)" ] || fail "an error box appeared"
    sleep 1
    press_escape "$window"
    finish_demo 10
    expect_ended_by_escape
    ;;
  small_screen_no)
    start_demo
    box=$(wait_for_window "Vesk GL" 60) || fail "no fullscreen question"
    xdotool windowfocus --sync "$box" key Escape  # the No button
    error=$(wait_for_window "ERROR" 10) || fail "no closing message"
    expect_box "$error" "ERROR" "$ok_stop" "Program Will Now Close."
    [ -z "$(windows_named "$title")" ] || fail "a demo window was made"
    xdotool windowfocus --sync "$error" key Return
    finish_demo 10
    expect_exit_code 0
    ;;
  *)
    fail "unknown scenario"
    ;;
esac

expect_screen_mode
echo "PASS ($scenario)"
