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

# time_removal WHAT: waits (blocking, not polling) for the analyser to end,
# which it does once the kernel has destroyed its device, then for la16;
# la16 must end with status 0 within a second of the device's end.
time_removal() {
  local what=$1 unplugged watchdog status
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
  local elapsed=$((UPTIME_MS - unplugged))
  [[ $status != 137 ]] || fail "$what: la16 still running 10 s after the unplug"
  [[ $status == 0 ]] || fail "$what: la16 ended with status $status"
  ((elapsed <= 1000)) || fail "$what: la16 took $elapsed ms to end"
  note "$what: la16 ended $elapsed ms after the device"
}

start_analyser --time-scale 5
start_la16 la16-signal attached,loop,shown:2
wait_line "$SCENARIO_DIR/la16-signal.out" '^la16-probe shown' 120
kill -USR1 "$ANALYSER_PID"
time_removal "unplugged while looping"

# 18 reports a restitution: after 3 restitutions and 7 blocks of the 4th.
start_analyser --unplug-after 61 --time-scale 5
start_la16 la16-middle attached,loop
time_removal "unplugged in the middle of a restitution"
