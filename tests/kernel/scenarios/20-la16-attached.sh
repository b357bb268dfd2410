# SPDX-License-Identifier: GPL-3.0-or-later
# la16 with the analyser plugged in before it starts: the attach commands
# byte for byte, a looped acquisition drawn as the analyser's memory implies,
# and a scroll position answered with the new window.
. "$RIG_LIB"

known_analyser_and_la16
memory=$MEMORY
log=$LOG

start_la16 la16-loop attached,loop,shown:3,halt,quit
wait_exit "$LA16_PID" 120
[[ $EXIT_STATUS == 0 ]] || fail "la16 ended with status $EXIT_STATUS: $(cat "$SCENARIO_DIR/la16-loop.out")"
grep -q '^la16-probe attached reader=1' "$SCENARIO_DIR/la16-loop.out" ||
  fail "la16 did not attach with a reader: $(cat "$SCENARIO_DIR/la16-loop.out")"
# Attach, loop, halt, and the close command at quit; bytes 2 and 3 carry over.
check_commands "$log" 1 "${ATTACH_COMMANDS[@]}" "00 02 01 2c" "00 03 01 2c" "00 05 01 2c"
snapshot=$(probe_value "$SCENARIO_DIR/la16-loop.out" halt snapshot)
cp "$snapshot" "$SCENARIO_DIR/loop.bmp" || fail "no snapshot after halt"
check_snapshot "$memory" "$SCENARIO_DIR/loop.bmp" 0 0
note "attach commands, loop and halt: $(probe_value "$SCENARIO_DIR/la16-loop.out" halt restitutions) restitutions shown"

# Again, on the same device: attach once more, then a window further on.
first=$(($(wc -l <"$log") + 1))
start_la16 la16-scroll attached,loop,shown:1,halt,scroll:700,quit
wait_exit "$LA16_PID" 120
[[ $EXIT_STATUS == 0 ]] || fail "la16 ended with status $EXIT_STATUS: $(cat "$SCENARIO_DIR/la16-scroll.out")"
check_commands "$log" "$first" "${ATTACH_COMMANDS[@]}" "00 02 01 2c" "00 03 01 2c" "00 07 02 bc" \
  "00 05 02 bc"
[[ "$(probe_value "$SCENARIO_DIR/la16-scroll.out" scroll position)" == 700 ]] || fail "the scroll bar is not at 700"
cp "$(probe_value "$SCENARIO_DIR/la16-scroll.out" scroll snapshot)" "$SCENARIO_DIR/scroll.bmp"
check_snapshot "$memory" "$SCENARIO_DIR/scroll.bmp" 0 700
stop_analyser
