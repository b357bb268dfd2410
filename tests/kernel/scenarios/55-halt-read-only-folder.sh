# SPDX-License-Identifier: GPL-3.0-or-later
# Halt while the folder of the snapshot refuses new files: la16, run by an
# unprivileged user whose folder is made read-only during a looped
# acquisition, sends the halt command at once, before the error box it then
# shows (and no one closes here). Ended while the box is open, it has halted
# the analyser.
. "$RIG_LIB"

# Programs the user runs from a folder it cannot write, so its files go to
# its data folder, on the guest's own tmpfs where permissions hold.
bin=$SCENARIO_DIR/bin
mkdir -p "$bin"
cp "$LA16" "$bin/" || fail "cannot copy la16 for the user"
chmod 755 "$bin"
LA16=$bin/la16
data=$(mktemp -d /tmp/la16-halt.XXXXXX)
chmod 755 "$data"

log=$SCENARIO_DIR/commands.log
start_analyser --log "$log" --time-scale 3
chown "$RIG_USER" "$ANALYSER_NODE"
la16_environment "$data"
write_settings "$data/la16" 1 300
chown -R "$RIG_USER:$RIG_USER" "$data"
export HOME=$data

# Twenty restitutions (several seconds) leave time to make the folder
# read-only before the halt; a halt that comes first fails the scenario.
start_la16 la16 attached,loop,shown:20,halt as_user
wait_line "$SCENARIO_DIR/la16.out" '^la16-probe loop' 60
chmod 555 "$data/la16"
grep -q '^la16-probe shown' "$SCENARIO_DIR/la16.out" && fail "the halt came before the folder was made read-only"
as_user touch "$data/la16/probe" 2>/dev/null && fail "the user can still create files in $data/la16"
grep -q '^la16-probe attached reader=1' "$SCENARIO_DIR/la16.out" ||
  fail "la16 did not attach with a reader: $(cat "$SCENARIO_DIR/la16.out")"
# Attach, loop and halt, the halt while the box stays open.
wait_for 120 "halt command" grep -q "^00 03 " "$log"
kill -0 "$LA16_PID" || fail "la16 ended: $(cat "$SCENARIO_DIR/la16.out")"
kill -TERM "$LA16_PID"
wait_exit "$LA16_PID" 20
check_commands "$log" 1 "${ATTACH_COMMANDS[@]}" "00 02 01 2c" "00 03 01 2c"
[[ ! -e "$data/la16/1.bmp" ]] || fail "a snapshot was written in the read-only folder"
stop_analyser
