# How the whole-program scenarios (run_scenario.sh) start and steer the Linux
# demo. Every launch hook defines the same calls:
#   begin_run, end_of_run         before the first and after the last start
#   launch_demo                   starts the program in the background with
#                                 its output in $work/demo.out and
#                                 $work/demo.err; sets demo_pid
#   launch_reference_box C T X    starts the build's show_box tool for
#                                 caption C, type T, text X; sets reference_pid
#   answer_no BOX                 picks No in the fullscreen question
#   ask_to_close                  the build's polite request to end
#   expect_windowed_geometry G    the window's geometry after Yes
#   expect_quiet_run_output       what the program may write in a quiet run

begin_run() { :; }
end_of_run() { :; }

launch_demo() {
  # The scenarios never depend on the machine's sound (the dummy driver),
  # except the quiet and the paced run, which take the machine's own setup:
  # without a sound card the demo falls back to the silent output without a
  # word.
  if [ "$scenario" = quiet_run ] || [ "$scenario" = paced_run ]; then
    env -u SDL_AUDIODRIVER "$zarnic" >"$work/demo.out" 2>"$work/demo.err" &
  else
    SDL_AUDIODRIVER=dummy "$zarnic" >"$work/demo.out" 2>"$work/demo.err" &
  fi
  demo_pid=$!
}

launch_reference_box() {
  "$show_box" "$@" >"$work/reference_answer" &
  reference_pid=$!
}

# SDL's box answers Escape with the button flagged for it: No.
answer_no() { keys_to "$1" Escape; }

# SIGTERM reaches the demo as SDL_QUIT, a close request.
ask_to_close() { kill -TERM "$demo_pid"; }

# SDL makes the 1024x768 window at (0, 0); the screen may be smaller.
expect_windowed_geometry() {
  [ "$1" = "1024x768+0+0" ] || fail "window is $1, expected a 1024x768 client"
}

# It takes no arguments and has nothing to say.
expect_quiet_run_output() {
  [ ! -s "$work/demo.out" ] && [ ! -s "$work/demo.err" ] ||
    fail "the demo wrote: $(head -c 2000 "$work/demo.out" "$work/demo.err")"
}
