# SPDX-License-Identifier: GPL-3.0-or-later
# la16 started first, the analyser plugged in seconds later: its arrival
# comes through the udev monitor, la16 attaches and draws the traces.
. "$RIG_LIB"

memory=$SCENARIO_DIR/memory.txt
write_memory "$memory"
log=$SCENARIO_DIR/commands.log
la16_environment "$SCENARIO_DIR/data"
write_settings "$SCENARIO_DIR/data/la16" 1 300

start_la16 la16 attached,loop,shown:2,halt,quit
wait_line "$SCENARIO_DIR/la16.out" '^la16-probe steps started' 60
sleep 3
grep -q '^la16-probe attached' "$SCENARIO_DIR/la16.out" && fail "la16 attached before the analyser was plugged in"
start_analyser --memory "$memory" --log "$log" --time-scale 3
wait_exit "$LA16_PID" 120
[[ $EXIT_STATUS == 0 ]] || fail "la16 ended with status $EXIT_STATUS: $(cat "$SCENARIO_DIR/la16.out")"
check_commands "$log" 1 "${ATTACH_COMMANDS[@]}" "00 02 01 2c" "00 03 01 2c" "00 05 01 2c"
cp "$(probe_value "$SCENARIO_DIR/la16.out" halt snapshot)" "$SCENARIO_DIR/loop.bmp"
check_snapshot "$memory" "$SCENARIO_DIR/loop.bmp" 0 0
stop_analyser
