#!/usr/bin/env bash
# Runs the demo (or the player) once on its own virtual X screen and checks
# what a viewer would see: the fullscreen window, the questions asked, the
# show's pace (paced_run, the player), how and when the run ends, and that
# the screen keeps its own mode afterwards.
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
  # start their own servers at the same moment. -noreset: by default the
  # server resets when its last client leaves, and a client that connects
  # during the reset is turned away (about 1 connection in 100 on a busy
  # machine); the checks here connect and leave many times.
  ZARNIC_INSIDE_XVFB=1 exec xvfb-run -a -n $(( 100 + RANDOM % 800 )) \
    -s "-screen 0 ${screen}x24 -noreset" bash "$0" "$@"
fi

readonly title="zarnic's engin"
readonly question=$'The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?'
readonly yes_no_exclamation=0x34
readonly ok_stop=0x10

work=$(mktemp -d)
demo_pid=""
reference_pid=""
manager_pid=""
cleanup() {
  [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null
  [ -n "$reference_pid" ] && kill "$reference_pid" 2>/dev/null
  [ -n "$manager_pid" ] && kill "$manager_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "$0")/scenario_helpers.sh"

# SDL's dummy audio, unless $1 is own_audio: the machine's own audio set-up,
# with everything the program writes kept in $work/demo.out.
start_demo() {
  started_ms=$(now_ms)
  if [ "${1:-}" = own_audio ]; then
    env -u SDL_AUDIODRIVER "$zarnic" > "$work/demo.out" 2>&1 &
  else
    SDL_AUDIODRIVER=dummy "$zarnic" &
  fi
  demo_pid=$!
}

press_escape() {
  xdotool windowfocus --sync "$1" || fail "cannot focus the window"
  hold_escape
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

# A desktop's window manager on this screen (Xvfb has none of its own);
# returns once it has taken the screen.
start_window_manager() {
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  manager_pid=$!
  local deadline=$(( $(now_ms) + 10000 ))
  until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    [ "$(now_ms)" -lt "$deadline" ] || fail "the window manager did not start: $(cat "$work/openbox.log")"
    sleep 0.1
  done
}

case $scenario in
  under_window_manager)
    # As on a desktop: the manager must still give the window the whole
    # screen, marked fullscreen and without a frame over the picture.
    start_window_manager
    start_demo
    window=$(wait_for_window "$title" 60) || fail "no demo window"
    [ "$(geometry "$window")" = "1024x768+0+0" ] ||
      fail "window is $(geometry "$window"), expected fullscreen 1024x768+0+0"
    xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN ||
      fail "the window manager was not asked for fullscreen: $(xprop -id "$window" _NET_WM_STATE)"
    expect_intro_in_band
    press_escape "$window"
    finish_demo 10
    expect_ended_by_escape
    ;;
  quiet_run)
    start_demo
    window=$(wait_for_window "$title" 60) || fail "no demo window"
    [ "$(geometry "$window")" = "1024x768+0+0" ] ||
      fail "window is $(geometry "$window"), expected fullscreen 1024x768+0+0"
    finish_demo 60
    expect_exit_code 1  # the seventeenth WM_TIMER, identifier 1
    [ "$run_ms" -ge 16000 ] || fail "ended after $run_ms ms, before the seventeenth tick"
    ;;
  paced_run)
    # The player, as ./demo.sh starts it on a machine without a sound card:
    # the show at its designed pace, the seventeen ticks, and not a word.
    start_demo own_audio
    expect_paced_run
    [ ! -s "$work/demo.out" ] || fail "the program wrote: $(head -c 500 "$work/demo.out")"
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
