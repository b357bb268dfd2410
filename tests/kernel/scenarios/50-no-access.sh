# SPDX-License-Identifier: GPL-3.0-or-later
# The analyser's node left 0600 root, la16 and la16-capture run by an
# unprivileged user: la16 takes the analyser as attached without a reader,
# la16-capture exits 4 with its message.
. "$RIG_LIB"

# The build folder may lie where the user cannot reach (a clone under
# /root): the user runs copies, from a folder it cannot write either.
bin=$SCENARIO_DIR/bin
mkdir -p "$bin"
cp "$LA16" "$CAPTURE" "$bin/" || fail "cannot copy the programs for the user"
chmod 755 "$bin"
LA16=$bin/la16
CAPTURE=$bin/la16-capture

start_analyser
mode=$(stat -c '%a %U' "$ANALYSER_NODE")
[[ "$mode" == "600 root" ]] || fail "$ANALYSER_NODE is '$mode', expected '600 root' (no rule installed)"
la16_environment "$SCENARIO_DIR/data"
write_settings "$SCENARIO_DIR/data/la16" 1 300
chown -R "$RIG_USER:$RIG_USER" "$SCENARIO_DIR/data"
export HOME=$SCENARIO_DIR/data

start_la16 la16 attached,quit as_user
wait_exit "$LA16_PID" 60
[[ $EXIT_STATUS == 0 ]] || fail "la16 ended with status $EXIT_STATUS: $(cat "$SCENARIO_DIR/la16.out")"
grep -q '^la16-probe attached reader=0' "$SCENARIO_DIR/la16.out" ||
  fail "la16 did not take the analyser as attached without a reader: $(cat "$SCENARIO_DIR/la16.out")"

as_user "$CAPTURE" --list >"$SCENARIO_DIR/list.txt" 2>&1
grep -Fq "$ANALYSER_NODE  04D8:0005" "$SCENARIO_DIR/list.txt" && grep -Fq "lecture et écriture : non" "$SCENARIO_DIR/list.txt" ||
  fail "--list as a user: $(cat "$SCENARIO_DIR/list.txt")"
as_user "$CAPTURE" --time-base 1ms --timeout 10 -o "$SCENARIO_DIR/denied.csv" 2>"$SCENARIO_DIR/denied.err"
status=$?
[[ $status == 4 ]] || fail "la16-capture as a user: status $status, expected 4 ($(cat "$SCENARIO_DIR/denied.err"))"
grep -Fq "accès refusé à l'analyseur $ANALYSER_NODE" "$SCENARIO_DIR/denied.err" ||
  fail "no refusal message: $(cat "$SCENARIO_DIR/denied.err")"
stop_analyser
