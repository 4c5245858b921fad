#!/usr/bin/env bash
# Runs inside the virtual X session of run_broken_data.sh:
#   in_x_session.sh ZARNIC OUT_DIR
# Starts the demo, takes a screenshot of the root window in the middle of its
# run, waits for it, then records its exit code and the screen's state.
zarnic=$1
out=$2
"$zarnic" >"$out/stdout" 2>"$out/stderr" &
pid=$!
sleep "${ZARNIC_SHOT_AFTER:-9}"
xwd -root -silent >"$out/shot.xwd" 2>/dev/null
wait "$pid"
rc=$?
for attempt in 1 2 3; do
  xdpyinfo >"$out/xdpyinfo" 2>&1 && break
  sleep 1
done
echo "$rc" >"$out/rc"
