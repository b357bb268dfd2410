# The analyser pulled out while it streams a looped acquisition: la16 ends
# within a second with status 0, between restitutions and in the middle of
# one.
. "$RIG_LIB"

la16_environment "$SCENARIO_DIR/data"
write_settings "$SCENARIO_DIR/data/la16" 1 300

# ms_since START_NS: milliseconds from a date +%s%N reading to now.
ms_since() { echo $((($(date +%s%N) - $1) / 1000000)); }

start_analyser
start_la16 la16-signal attached,loop,shown:2
wait_line "$SCENARIO_DIR/la16-signal.out" '^la16-probe shown' 120
kill -USR1 "$ANALYSER_PID"
unplugged=$(date +%s%N)
wait_exit "$LA16_PID" 10
elapsed=$(ms_since "$unplugged")
[[ $EXIT_STATUS == 0 ]] || fail "la16 ended with status $EXIT_STATUS after the unplug"
((elapsed <= 1000)) || fail "la16 took $elapsed ms to end after the unplug"
note "unplugged while looping: la16 ended after $elapsed ms"
stop_analyser

# 18 reports a restitution: after 3 restitutions and 7 blocks of the 4th.
start_analyser --unplug-after 61
node=$ANALYSER_NODE
start_la16 la16-middle attached,loop
wait_for 120 "removal of $node after 61 reports" test ! -e "$node"
unplugged=$(date +%s%N)
wait_exit "$LA16_PID" 10
elapsed=$(ms_since "$unplugged")
[[ $EXIT_STATUS == 0 ]] || fail "la16 ended with status $EXIT_STATUS after the unplug in a restitution"
((elapsed <= 1000)) || fail "la16 took $elapsed ms to end after the unplug in a restitution"
note "unplugged in the middle of a restitution: la16 ended after $elapsed ms"
