#!/usr/bin/env bash
# A virtual X screen of its own for a test or a benchmark (Xvfb, 24 bits).
#
#   tests/support/x_screen.sh WxH COMMAND [ARG...]
#       runs COMMAND with DISPLAY on a new screen of that size, ends the
#       server afterwards and exits with COMMAND's status (125 when no
#       server could be started);
#   source tests/support/x_screen.sh; start_x_screen WxH; ...; stop_x_screen
#       the same inside a script: start_x_screen exports DISPLAY.
#
# Why not xvfb-run -a: it picks the first display number whose lock file is
# missing and then starts the server, so two tests starting at the same
# moment pick the same number and one of them fails. Here the server picks
# its number itself (-displayfd) when it claims the socket, which cannot
# collide.
#
# -noreset: by default the server resets when its last client leaves, and a
# client that connects during the reset is turned away (about 1 connection in
# 100 on a busy machine); tests connect and leave many times (screenshots,
# xdotool, xwininfo, a window manager, the demo).
x_screen_pid=""

# Starts a server for a WxH screen and exports DISPLAY; waits up to 60 s for
# it to accept connections (a busy machine starts it slowly).
start_x_screen() {
  local size=$1 number_file
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${size}x24" -noreset -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  x_screen_pid=$!
  local waited=0
  until grep -q '^[0-9][0-9]*$' "$number_file" 2>/dev/null; do
    if ! kill -0 "$x_screen_pid" 2>/dev/null || [ "$waited" -ge 600 ]; then
      echo "x_screen: Xvfb did not start a ${size} screen" >&2
      rm -f "$number_file"
      stop_x_screen
      return 1
    fi
    sleep 0.1
    waited=$((waited + 1))
  done
  export DISPLAY=":$(cat "$number_file")"
  rm -f "$number_file"
}

stop_x_screen() {
  if [ -n "$x_screen_pid" ]; then
    kill "$x_screen_pid" 2>/dev/null
    wait "$x_screen_pid" 2>/dev/null
    x_screen_pid=""
  fi
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  if [ $# -lt 2 ]; then
    echo "usage: $0 WxH COMMAND [ARG...]" >&2
    exit 2
  fi
  size=$1
  shift
  # A test that times out is ended with a signal: the command and the server
  # go with it (the command runs in the background so that the trap is not
  # held back until it ends).
  command_pid=""
  trap 'stop_x_screen' EXIT
  trap '[ -n "$command_pid" ] && kill "$command_pid" 2>/dev/null; exit 143' TERM
  trap '[ -n "$command_pid" ] && kill "$command_pid" 2>/dev/null; exit 130' INT
  start_x_screen "$size" || exit 125
  "$@" &
  command_pid=$!
  wait "$command_pid"
  exit $?
fi
