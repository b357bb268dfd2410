# SPDX-License-Identifier: GPL-3.0-or-later
# la16.exe, the Windows window, under Wine against la16-uhid-analyser on the
# real kernel, drawn by Wine's X11 driver on an Xvfb of the guest: the attach
# commands byte for byte, a looped acquisition whose 1.bmp after halt is the
# analyser's memory, and the analyser pulled out while looping handled as the
# Linux build handles it (40-la16-unplug). Needs scripts/cross-windows first
# (la16.exe in its build folder, and its Wine prefix).
# rig-timeout: 480
. "$RIG_LIB"

# The Windows build's prefix, with the X11 display driver in place of the
# null one; la16.exe in a folder of its own there, a portable program that
# keeps parametres.inf and 1.bmp beside itself (C:\la16).
windows_build la16/la16.exe
exe=$WINDOWS_EXE
sed -i 's/^"Graphics"="null"/"Graphics"="x11"/' "$WINEPREFIX/user.reg"
program=$WINEPREFIX/drive_c/la16
mkdir -p "$program"
cp "$exe" "$program/la16.exe"
write_settings "$program" 1 300

Xvfb :7 -screen 0 1280x1024x24 -nolisten tcp >"$SCENARIO_DIR/xvfb.out" 2>&1 &
track $!
wait_for 30 "Xvfb display :7" test -S /tmp/.X11-unix/X7
export DISPLAY=:7
wineserver -p || fail "the Wine server does not start"
trap 'wineserver -k 2>/dev/null; rig_cleanup' EXIT

# start_la16_exe NAME STEPS: la16.exe with LA16_PROBE=steps:STEPS, its output
# in $SCENARIO_DIR/NAME.out; sets LA16_PID.
start_la16_exe() {
  (cd "$program" && LA16_PROBE=steps:$2 exec wine 'C:\la16\la16.exe') >"$SCENARIO_DIR/$1.out" 2>&1 &
  LA16_PID=$!
  track "$LA16_PID"
}

memory=$SCENARIO_DIR/memory.txt
write_memory "$memory"
log=$SCENARIO_DIR/commands.log
start_analyser --memory "$memory" --log "$log" --time-scale 3

# Wine's HID bus and services come up on the first start: minutes on an
# emulated processor.
start_la16_exe la16-loop attached,loop,shown:3,halt,quit
wait_exit "$LA16_PID" 300
out=$SCENARIO_DIR/la16-loop.out
[[ $EXIT_STATUS == 0 ]] || fail "la16.exe ended with status $EXIT_STATUS: $(cat "$out")"
grep -q '^la16-probe attached reader=1' "$out" || fail "la16.exe did not attach with a reader: $(cat "$out")"
check_commands "$log" 1 "${ATTACH_COMMANDS[@]}" "00 02 01 2c" "00 03 01 2c" "00 05 01 2c"
cp "$program/1.bmp" "$SCENARIO_DIR/loop.bmp" || fail "la16.exe wrote no 1.bmp beside itself after halt"
check_snapshot "$memory" "$SCENARIO_DIR/loop.bmp" 0 0
note "la16.exe: attach commands, loop and halt, $(probe_value "$out" halt restitutions) restitutions shown"
stop_analyser

# Pulled out while looping: la16.exe stays up and says the analyser is
# disconnected, as la16 does on Linux (40-la16-unplug; Wine's HID bus takes
# longer to tell than the kernel, so no second here), then attaches the one
# plugged in again with the same commands and loops with it.
start_analyser --time-scale 5 --log "$SCENARIO_DIR/unplugged.log"
start_la16_exe la16-unplug attached,loop,shown:2,detached,attached,loop,shown:1,quit
out=$SCENARIO_DIR/la16-unplug.out
wait_line "$out" '^la16-probe shown' 300
kill -USR1 "$ANALYSER_PID"
wait "$ANALYSER_PID" || fail "la16-uhid-analyser ended with status $?"
unplugged=$SECONDS
wait_line "$out" '^la16-probe detached' 60
kill -0 "$LA16_PID" 2>/dev/null || fail "la16.exe ended after the unplug: $(cat "$out")"
# Lines end with CR LF under Wine.
grep -q '^la16-probe detached .*status=Analyseur logique USB déconnecté' "$out" ||
  fail "la16.exe does not say the analyser is disconnected: $(cat "$out")"
note "la16.exe disconnected $((SECONDS - unplugged)) s after the analyser was pulled out"
start_analyser --time-scale 5 --log "$SCENARIO_DIR/replugged.log"
wait_exit "$LA16_PID" 300
[[ $EXIT_STATUS == 0 ]] || fail "la16.exe ended with status $EXIT_STATUS: $(cat "$out")"
check_commands "$SCENARIO_DIR/replugged.log" 1 "${ATTACH_COMMANDS[@]}" "00 02 01 2c" "00 05 01 2c"
stop_analyser
note "la16.exe: plugged in again, attached and looping"
