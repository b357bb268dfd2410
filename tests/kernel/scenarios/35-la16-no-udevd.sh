# SPDX-License-Identifier: GPL-3.0-or-later
# Hot-plug without udevd (a container, a minimal system): la16 started while
# no udevd runs hears of the analyser plugged in later through the kernel's
# own events, attaches it and loops with it. udevd comes back afterwards for
# the scenarios that follow.
. "$RIG_LIB"

restart_udevd() {
  /lib/systemd/systemd-udevd --daemon >/dev/null 2>&1
  udevadm settle --timeout=30
}
trap 'rig_cleanup; restart_udevd' EXIT

udevadm control --exit || fail "udevd did not stop"
wait_for 10 "end of systemd-udevd" sh -c '! pidof systemd-udevd >/dev/null'

log=$SCENARIO_DIR/commands.log
la16_environment "$SCENARIO_DIR/data"
write_settings "$SCENARIO_DIR/data/la16" 1 300

start_la16 la16 attached,loop,shown:2,halt,quit
wait_line "$SCENARIO_DIR/la16.out" '^la16-probe steps started' 60
start_analyser --log "$log" --time-scale 3
pidof systemd-udevd >/dev/null && fail "udevd came back during the scenario"
wait_exit "$LA16_PID" 120
[[ $EXIT_STATUS == 0 ]] || fail "la16 ended with status $EXIT_STATUS: $(cat "$SCENARIO_DIR/la16.out")"
grep -q '^la16-probe attached reader=1' "$SCENARIO_DIR/la16.out" ||
  fail "la16 did not attach with a reader: $(cat "$SCENARIO_DIR/la16.out")"
check_commands "$log" 1 "${ATTACH_COMMANDS[@]}" "00 02 01 2c" "00 03 01 2c" "00 05 01 2c"
note "attached without udevd: $(probe_value "$SCENARIO_DIR/la16.out" halt restitutions) restitutions shown"
stop_analyser
