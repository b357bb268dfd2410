# SPDX-License-Identifier: GPL-3.0-or-later
# The analyser pulled out while it streams a looped acquisition, between
# restitutions and in the middle of one: la16 stays up, says within a second
# that the analyser is disconnected, and attaches the analyser plugged in
# again with the same three commands, then loops with it.
. "$RIG_LIB"

la16_environment "$SCENARIO_DIR/data"
# PC speed 1000 and the analyser at a fifth of its speed, a report every
# 50 ms: the emulated guest is not kept busy drawing, so the time measured is
# the removal's, not that of a backlog of reports.
write_settings "$SCENARIO_DIR/data/la16" 1 1000

# uptime_ms: sets UPTIME_MS to the guest's uptime in ms (no process started).
uptime_ms() {
  local up
  read -r up _ </proc/uptime
  UPTIME_MS=$((10#${up/./} * 10))
}

# time_removal OUT: waits (blocking, not polling) for the analyser to end,
# which it does once the kernel has destroyed its device, then for la16's
# "detached" line in OUT; sets ELAPSED_MS between the two. la16 must still
# run and say so in its status bar.
time_removal() {
  local out=$1 status unplugged
  wait "$ANALYSER_PID"
  status=$?
  uptime_ms
  unplugged=$UPTIME_MS
  [[ $status == 0 ]] || fail "la16-uhid-analyser ended with status $status"
  wait_line "$out" '^la16-probe detached' 10
  uptime_ms
  ELAPSED_MS=$((UPTIME_MS - unplugged))
  kill -0 "$LA16_PID" 2>/dev/null || fail "la16 ended after the unplug: $(cat "$out")"
  grep -q '^la16-probe detached .*status=Analyseur logique USB déconnecté$' "$out" ||
    fail "la16 does not say the analyser is disconnected: $(cat "$out")"
}

# replug NAME FIRST_LOG: plugs a new analyser in, lets la16 attach and loop
# with it, then quit; keeps the picture of the window la16 took once
# detached; checks both command logs: each attach sends the same three
# commands, and nothing reaches the analyser that went.
replug() {
  local name=$1 first_log=$2 log=$SCENARIO_DIR/$1-replugged.log out=$SCENARIO_DIR/la16-$1.out
  start_analyser --time-scale 5 --log "$log"
  wait_exit "$LA16_PID" 120
  [[ $EXIT_STATUS == 0 ]] || fail "$name: la16 ended with status $EXIT_STATUS: $(cat "$out")"
  cp "$(probe_value "$out" detached window)" "$SCENARIO_DIR/$name-detached.png" ||
    fail "$name: no picture of the window once detached"
  check_commands "$first_log" 1 "00 06 03 e8" "00 0b 03 e8" "00 0a 01 e8" "00 02 01 e8"
  # Bytes 2 and 3 carry over from the loop command sent before the unplug.
  check_commands "$log" 1 "00 06 01 e8" "00 0b 03 e8" "00 0a 01 e8" "00 02 01 e8" "00 05 01 e8"
  stop_analyser
}

# unplug_case WHAT: runs the case (function unplug_WHAT) and checks la16 said
# it was disconnected within a second of the device. An emulated processor
# shared with other work can stall the guest for a moment, so a case over the
# second is run once more; only two in a row fail.
unplug_case() {
  local attempt
  for attempt in 1 2; do
    "unplug_$1" "$1-$attempt"
    if ((ELAPSED_MS <= 1000)); then
      note "$1: la16 disconnected $ELAPSED_MS ms after the device"
      replug "$1-$attempt" "$SCENARIO_DIR/$1-$attempt.log"
      note "$1: plugged in again, attached and looping"
      return 0
    fi
    note "$1: la16 disconnected $ELAPSED_MS ms after the device (attempt $attempt)"
    kill -TERM "$LA16_PID" 2>/dev/null
    wait "$LA16_PID" 2>/dev/null
  done
  fail "$1: la16 took more than a second to see the unplug, twice"
}

AFTER_UNPLUG=detached,attached,loop,shown:2,quit

unplug_while_looping() {
  start_analyser --time-scale 5 --log "$SCENARIO_DIR/$1.log"
  start_la16 "la16-$1" "attached,loop,shown:2,$AFTER_UNPLUG"
  wait_line "$SCENARIO_DIR/la16-$1.out" '^la16-probe shown' 120
  kill -USR1 "$ANALYSER_PID"
  time_removal "$SCENARIO_DIR/la16-$1.out"
}

# 18 reports a restitution: after 3 restitutions and 7 blocks of the 4th.
unplug_in_a_restitution() {
  start_analyser --unplug-after 61 --time-scale 5 --log "$SCENARIO_DIR/$1.log"
  start_la16 "la16-$1" "attached,loop,$AFTER_UNPLUG"
  time_removal "$SCENARIO_DIR/la16-$1.out"
}

unplug_case while_looping
unplug_case in_a_restitution
