# The analyser pulled out while it streams a looped acquisition: la16 ends
# within a second with status 0, between restitutions and in the middle of
# one.
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

# time_removal: waits (blocking, not polling) for the analyser to end, which
# it does once the kernel has destroyed its device, then for la16, which must
# end with status 0; sets ELAPSED_MS between the two ends.
time_removal() {
  local watchdog status unplugged
  wait "$ANALYSER_PID"
  status=$?
  uptime_ms
  unplugged=$UPTIME_MS
  [[ $status == 0 ]] || fail "la16-uhid-analyser ended with status $status"
  (sleep 10 && kill -KILL "$LA16_PID") 2>/dev/null &
  watchdog=$!
  wait "$LA16_PID"
  status=$?
  uptime_ms
  kill "$watchdog" 2>/dev/null
  ELAPSED_MS=$((UPTIME_MS - unplugged))
  [[ $status != 137 ]] || fail "la16 still running 10 s after the unplug"
  [[ $status == 0 ]] || fail "la16 ended with status $status after the unplug"
}

# unplug_case WHAT: runs the case (function unplug_WHAT) and checks la16
# ended within a second of the device. An emulated processor shared with
# other work can stall the guest for a moment, so a case over the second is
# run once more; only two in a row fail.
unplug_case() {
  local attempt
  for attempt in 1 2; do
    "unplug_$1"
    if ((ELAPSED_MS <= 1000)); then
      note "$1: la16 ended $ELAPSED_MS ms after the device"
      return 0
    fi
    note "$1: la16 ended $ELAPSED_MS ms after the device (attempt $attempt)"
  done
  fail "$1: la16 took more than a second to end, twice"
}

unplug_while_looping() {
  start_analyser --time-scale 5
  start_la16 la16-looping attached,loop,shown:2
  wait_line "$SCENARIO_DIR/la16-looping.out" '^la16-probe shown' 120
  kill -USR1 "$ANALYSER_PID"
  time_removal
}

# 18 reports a restitution: after 3 restitutions and 7 blocks of the 4th.
unplug_in_a_restitution() {
  start_analyser --unplug-after 61 --time-scale 5
  start_la16 la16-restitution attached,loop
  time_removal
}

unplug_case while_looping
unplug_case in_a_restitution
