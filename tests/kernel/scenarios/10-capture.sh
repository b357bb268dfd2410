# SPDX-License-Identifier: GPL-3.0-or-later
# la16-capture against la16-uhid-analyser on the real kernel: the list, the
# whole memory in VCD and CSV, one window, and the exit statuses of an
# analyser pulled out in the middle (7) and of one that never answers (5).
. "$RIG_LIB"

memory=$SCENARIO_DIR/memory.txt
write_memory "$memory"
# A report every 2 ms, which the emulated guest reads without a backlog.
start_analyser --memory "$memory" --time-scale 2

"$CAPTURE" --list >"$SCENARIO_DIR/list.txt" || fail "la16-capture --list ended with status $?"
grep -Fq "$ANALYSER_NODE  04D8:0005  version" "$SCENARIO_DIR/list.txt" ||
  fail "--list does not show $ANALYSER_NODE: $(cat "$SCENARIO_DIR/list.txt")"
grep -Fq "lecture et écriture : oui" "$SCENARIO_DIR/list.txt" ||
  fail "--list does not show read-write access: $(cat "$SCENARIO_DIR/list.txt")"

for format in csv vcd; do
  "$CAPTURE" --time-base 1ms --timeout 30 -o "$SCENARIO_DIR/whole.$format" ||
    fail "the whole memory in $format: la16-capture ended with status $?"
done
memory_matches_csv "$memory" "$SCENARIO_DIR/whole.csv" 0 2047 || fail "whole.csv is not the memory"
memory_matches_vcd "$memory" "$SCENARIO_DIR/whole.vcd" || fail "whole.vcd is not the memory"
note "the whole memory, 2047 samples, in CSV and VCD"

"$CAPTURE" --time-base 1ms --timeout 30 --window 1000 -o "$SCENARIO_DIR/window.csv" ||
  fail "--window 1000: la16-capture ended with status $?"
memory_matches_csv "$memory" "$SCENARIO_DIR/window.csv" 1000 450 || fail "window.csv is not samples 1000 to 1449"
stop_analyser

# Pulled out after 40 input reports: two restitutions and a few blocks of
# the third, while the tool gathers its windows.
start_analyser --memory "$memory" --unplug-after 40
"$CAPTURE" --time-base 1ms --timeout 30 -o "$SCENARIO_DIR/unplugged.csv" 2>"$SCENARIO_DIR/unplugged.err"
status=$?
[[ $status == 7 ]] || fail "unplugged in the middle: status $status, expected 7 ($(cat "$SCENARIO_DIR/unplugged.err"))"
[[ ! -e "$SCENARIO_DIR/unplugged.csv" ]] || fail "an unplugged capture left unplugged.csv"
stop_analyser

start_analyser --silent
"$CAPTURE" --time-base 1ms --timeout 3 -o "$SCENARIO_DIR/silent.csv" 2>"$SCENARIO_DIR/silent.err"
status=$?
[[ $status == 5 ]] || fail "an analyser that never answers: status $status, expected 5 ($(cat "$SCENARIO_DIR/silent.err"))"
grep -q "délai dépassé" "$SCENARIO_DIR/silent.err" || fail "no time-out message: $(cat "$SCENARIO_DIR/silent.err")"
stop_analyser
