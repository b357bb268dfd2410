# SPDX-License-Identifier: GPL-3.0-or-later
# la16 exporting the analyser's whole memory from the window: after a halt
# and a scroll to 700, "Exporter les données..." fetches the five windows with
# view position commands, writes them as la16-capture would, and sends the
# analyser back to 700 without drawing anything.
. "$RIG_LIB"

known_analyser_and_la16
memory=$MEMORY
log=$LOG

start_la16 la16-export attached,loop,shown:1,halt,scroll:700,export:csv,export:vcd,quit
wait_exit "$LA16_PID" 240
out=$SCENARIO_DIR/la16-export.out
[[ $EXIT_STATUS == 0 ]] || fail "la16 ended with status $EXIT_STATUS: $(cat "$out")"
for format in csv vcd; do
  line=$(grep "^la16-probe export file=.*\.$format " "$out") || fail "no $format export: $(cat "$out")"
  [[ $line == *" written=1 position=700 "* ]] || fail "the $format export: $line"
  cp "$(sed -n 's/.* file=\([^ ]*\) .*/\1/p' <<<"$line")" "$SCENARIO_DIR/export.$format"
done
memory_matches_csv "$memory" "$SCENARIO_DIR/export.csv" 0 2047 || fail "export.csv is not the memory"
memory_matches_vcd "$memory" "$SCENARIO_DIR/export.vcd" || fail "export.vcd is not the memory"
# Each export: the five windows of the memory, then back to 700 (02 bc).
windows=("00 07 00 00" "00 07 01 c2" "00 07 03 84" "00 07 05 46" "00 07 06 3d" "00 07 02 bc")
first=$(grep -n '^00 07 02 bc' "$log" | head -n 1 | cut -d: -f1)
[[ -n $first ]] || fail "no scroll to 700 in the command log"
check_commands "$log" $((first + 1)) "${windows[@]}" "${windows[@]}" "00 05 02 bc"
note "la16 exported the whole memory (2047 samples) in CSV and VCD, equal to it"
stop_analyser
