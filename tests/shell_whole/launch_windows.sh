# How the whole-program scenarios (run_scenario.sh) start and steer
# zarnic.exe under wine; the calls are described in launch_linux.sh.
# WINEPREFIX must name a prefix of the test run's own: its wine processes
# are ended before and after the run, since wine's desktop stays tied to the
# X screen of the program that started the prefix's server.

: "${WINEPREFIX:?WINEPREFIX must name a wine prefix of this test run}"
export WINEPREFIX WINEDEBUG=-all

begin_run() { wineserver -k 2>/dev/null; }
end_of_run() { wineserver -k 2>/dev/null; }

launch_demo() {
  wine "$zarnic" >"$work/demo.out" 2>"$work/demo.err" &
  demo_pid=$!
}

# MessageBoxA draws the reference the same way as the demo's box, so equal
# pixels mean equal text, icon and buttons.
launch_reference_box() {
  wine "$show_box" "$@" >"$work/reference_answer" 2>/dev/null &
  reference_pid=$!
}

# Return answers the default button (Yes); Tab moves to No.
answer_no() { keys_to "$1" Tab Return; }

# taskkill without /f asks politely: WM_CLOSE to the process's windows.
ask_to_close() {
  wine taskkill /im "$(basename "$zarnic")" >/dev/null 2>&1 || fail "taskkill failed"
}

# wine draws the WS_OVERLAPPEDWINDOW frame itself (there is no window
# manager), so the X window is the client, offset by the left border and the
# caption. A window's frame may not exceed the screen's maximum tracking size
# (WM_GETMINMAXINFO), so on the 800x600 screen Windows shrinks the window to
# the screen; the full 1024x768 client shows on the larger screen.
expect_windowed_geometry() {
  case $screen:$1 in
    800x600:*+4+23 | *:1024x768+4+23) ;;
    *) fail "window is $1, expected a framed 1024x768 client at (4, 23) (shrunk on a small screen)" ;;
  esac
}

# wine writes its own lines (ALSA, the X connection at exit); the program
# writes nothing of its own, which cannot be told apart here.
expect_quiet_run_output() { :; }
