# SPDX-License-Identifier: GPL-3.0-or-later
# la16-capture.exe, the Windows build, under Wine against la16-uhid-analyser
# on the real kernel: Wine's HID bus sees the kernel's hidraw node, the tool
# finds the analyser through setupapi.dll and hid.dll, captures the whole
# memory, and reports an analyser pulled out in the middle with status 7, as
# the Linux build does. Needs scripts/cross-windows first (its build folder
# and Wine prefix).
. "$RIG_LIB"

windows_build la16/la16-capture.exe
exe=$WINDOWS_EXE
# One Wine server and one start of its services (the HID bus among them)
# for every run: they take about a minute to come up on an emulated processor.
wineserver -p || fail "the Wine server does not start"
trap 'wineserver -k 2>/dev/null; rig_cleanup' EXIT
wine_capture() {
  (cd "$SCENARIO_DIR" && wine "$exe" "$@")
}

memory=$SCENARIO_DIR/memory.txt
write_memory "$memory"
start_analyser --memory "$memory"

started=$SECONDS
listed=0
for _ in 1 2 3 4 5 6; do
  wine_capture --list >"$SCENARIO_DIR/list.txt" 2>"$SCENARIO_DIR/list.err" && { listed=1; break; }
  sleep 5
done
[[ $listed == 1 ]] || fail "la16-capture.exe --list found no analyser: $(cat "$SCENARIO_DIR/list.err")"
note "listed under Wine after $((SECONDS - started)) s: $(head -n 1 "$SCENARIO_DIR/list.txt")"
grep -Fq "04D8:0005  version" "$SCENARIO_DIR/list.txt" ||
  fail "--list does not show the analyser: $(cat "$SCENARIO_DIR/list.txt")"
grep -Fq "lecture et écriture : oui" "$SCENARIO_DIR/list.txt" ||
  fail "--list does not show read-write access: $(cat "$SCENARIO_DIR/list.txt")"

wine_capture --time-base 1ms --timeout 60 -o whole.csv 2>"$SCENARIO_DIR/whole.err" ||
  fail "the whole memory: la16-capture.exe ended with status $? ($(cat "$SCENARIO_DIR/whole.err"))"
memory_matches_csv "$memory" "$SCENARIO_DIR/whole.csv" 0 2047 || fail "whole.csv is not the memory"
note "the whole memory, 2047 samples, through Wine's hid.dll"
stop_analyser

# Pulled out after 40 input reports, in the middle of the capture.
start_analyser --memory "$memory" --unplug-after 40
wine_capture --time-base 1ms --timeout 60 -o unplugged.csv 2>"$SCENARIO_DIR/unplugged.err"
status=$?
[[ $status == 7 ]] ||
  fail "unplugged in the middle: status $status, expected 7 ($(cat "$SCENARIO_DIR/unplugged.err"))"
[[ ! -e "$SCENARIO_DIR/unplugged.csv" ]] || fail "an unplugged capture left unplugged.csv"
note "unplugged in the middle: status 7 ($(cat "$SCENARIO_DIR/unplugged.err"))"
stop_analyser
