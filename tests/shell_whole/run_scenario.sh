#!/usr/bin/env bash
# Runs one build of the demo (or the player) once on its own virtual X screen
# and checks what a viewer would see: the fullscreen window and the picture
# in it, the questions asked, the show's pace (paced_run, the player), how
# and when the run ends, and that the screen keeps its own mode afterwards.
#
#   run_scenario.sh SCENARIO BUILD NAME=VALUE...
#
# BUILD names the launch hook launch_BUILD.sh beside this script, which says
# how that build is started and steered (see launch_linux.sh for the calls a
# hook defines). The NAME=VALUE pairs are handed to the hook and the
# scenarios: zarnic= the program, show_box= the tool that draws a reference
# message box with the same platform layer, send_close= the Linux tool that
# sends a window manager's close request; for broken_data also
# make_broken_data=, broken_case= and data= (the default data folder); for
# music_format data= and music= (an MP3 file to play instead of the music).
#
# Run from the directory that holds data/.
set -u

scenario=$1
build=$2
shift 2
for setting in "$@"; do
  case $setting in
    zarnic=* | show_box=* | send_close=* | make_broken_data=* | broken_case=* | data=* | music=*)
      declare "$setting" ;;
    *)
      echo "run_scenario.sh: unknown setting '$setting'" >&2
      exit 2
      ;;
  esac
done
here="$(cd "$(dirname "$0")" && pwd)"

case $scenario in
  small_screen_*) screen=800x600 ;;
  large_screen_*) screen=1280x1024 ;;
  *) screen=1024x768 ;;
esac

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
  end_of_run
  stop_x_screen
  rm -rf "$work"
}

source "$here/../support/x_screen.sh"
source "$here/scenario_helpers.sh"
source "$here/launch_$build.sh" || { echo "run_scenario.sh: no launch hook for '$build'" >&2; exit 2; }
trap cleanup EXIT
start_x_screen "$screen" || exit 1
begin_run

case $scenario in
  quiet_run)
    start_demo
    window=$(wait_for_window "$title" 60) || fail "no demo window"
    [ "$(geometry "$window")" = "1024x768+0+0" ] ||
      fail "window is $(geometry "$window"), expected fullscreen 1024x768+0+0"
    expect_intro_in_band
    finish_demo 60
    expect_exit_code 1  # the seventeenth WM_TIMER, identifier 1
    [ "$run_ms" -ge 16000 ] || fail "ended after $run_ms ms, before the seventeenth tick"
    expect_quiet_run_output
    ;;
  paced_run)
    # The player, as ./demo.sh starts it on a machine without a sound card:
    # the show at its designed pace, the seventeen ticks, and not a word.
    start_demo
    expect_paced_run
    expect_quiet_run_output
    ;;
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
  escape_held)
    start_demo
    window=$(wait_for_window "$title" 60) || fail "no demo window"
    sleep 1
    press_escape "$window"
    finish_demo 10
    expect_ended_by_escape
    ;;
  close_by_signal | close_by_taskkill)
    # The build's own polite request to end (a signal on Linux, taskkill
    # without /f under wine): a close request, exit code 0.
    start_demo
    wait_for_window "$title" 60 >/dev/null || fail "no demo window"
    sleep 1
    ask_to_close
    finish_demo 10
    expect_exit_code 0
    ;;
  close_by_window_manager)
    [ -x "${send_close:-}" ] || fail "no close tool given"
    start_demo
    window=$(wait_for_window "$title" 60) || fail "no demo window"
    sleep 1
    "$send_close" "$window" || fail "cannot send the close request"
    finish_demo 10
    expect_exit_code 0
    ;;
  small_screen_yes | large_screen_yes)
    # A screen without a 1024x768 mode (Xvfb offers only its own size, so
    # the larger screen refuses it too): the question, answered Yes, runs the
    # show in a window.
    start_demo
    box=$(wait_for_window "Vesk GL" 60) || fail "no fullscreen question"
    expect_box "$box" "Vesk GL" "$yes_no_exclamation" "$question"
    window_not_before_ms=$(now_ms)  # the window is made after the answer
    keys_to "$box" Return
    window=$(wait_for_window "$title" 60) || fail "no demo window after Yes"
    [ -z "$(windows_named ERROR)" ] || fail "an error box appeared"
    expect_windowed_geometry "$(geometry "$window")"
    sleep 1
    press_escape "$window"
    finish_demo 10
    expect_ended_by_escape
    ;;
  small_screen_no)
    start_demo
    box=$(wait_for_window "Vesk GL" 60) || fail "no fullscreen question"
    answer_no "$box"
    error=$(wait_for_window "ERROR" 10) || fail "no closing message"
    expect_box "$error" "ERROR" "$ok_stop" "Program Will Now Close."
    [ -z "$(windows_named "$title")" ] || fail "a demo window was made"
    keys_to "$error" Return
    finish_demo 10
    expect_exit_code 0
    ;;
  broken_data)
    # A broken data folder made fresh from the default data: the demo still
    # plays its seventeen one-second ticks, draws something on the way and
    # reports no sanitizer error.
    "$make_broken_data" "$broken_case" "$data" "$work/run" || fail "cannot make the broken data folder"
    cd "$work/run"
    start_demo
    expect_something_drawn
    finish_demo 150
    expect_exit_code 1
    [ "$run_ms" -ge 16000 ] || fail "ended after $run_ms ms, before the seventeenth tick"
    if grep -Eq 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:' "$work/demo.err"; then
      fail "sanitizer report"
    fi
    ;;
  no_music)
    # Music that does not open (a Windows without an MP3 codec): its position
    # stays at 0, so the intro shows, unmoving, for the whole run, and the run
    # ends after the seventeenth tick. With music the main phase would be on
    # screen 8 s after the intro's first frame.
    start_demo
    wait_for_window "$title" 60 >/dev/null || fail "no demo window"
    expect_intro_in_band
    cp "$work/shot.png" "$work/intro.png"
    sleep 8
    kill -0 "$demo_pid" 2>/dev/null || fail "the demo ended too soon to look at the intro again"
    import -window root "$work/later.png" 2>/dev/null || fail "no screenshot"
    value=$(likeness "$work/later.png" "$work/intro.png")
    echo "8 s later: likeness $value to the intro"
    awk -v v="$value" 'BEGIN { exit !(v >= 0.95) }' || fail "the show left the intro (likeness $value): the music played"
    finish_demo 60
    expect_exit_code 1
    [ "$run_ms" -ge 16000 ] || fail "ended after $run_ms ms, before the seventeenth tick"
    ;;
  music_format)
    # The player on the default data with its music in another format: the
    # show at its designed pace, which the music's position sets, and the
    # seventeen ticks.
    mkdir -p "$work/run" && cp -r "$data" "$work/run/data" && cp "$music" "$work/run/data/orvu.mp3" ||
      fail "cannot make the data folder"
    cd "$work/run"
    start_demo
    expect_paced_run
    ;;
  *)
    fail "unknown scenario"
    ;;
esac

expect_screen_mode
echo "PASS ($scenario${broken_case:+ $broken_case})"
