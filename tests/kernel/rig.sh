# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers for the real-kernel scenarios (bash). A scenario is a file
# tests/kernel/scenarios/NN-name.sh, run in name order by guest-run inside the
# guest, as root, in a bash of its own; it begins with
#     . "$RIG_LIB"
# and passes by exiting 0. It gets:
#   LA16_SOURCE   the source tree (read-only)
#   LA16_BUILD    the build folder (read-only): la16, la16-capture, la16-uhid-analyser
#   SCENARIO_NAME its file name without .sh
#   SCENARIO_DIR  a writable folder of its own (kept on the host, under
#                 build/kernel-test/results/NAME, world-writable)
#   RIG_RESULTS   the writable results folder shared with the host
#   RIG_USER      an unprivileged user (uid 65534, see as_user)
#   RIG_CI        "true" when the host runs under CI (its CI variable)
# Processes started through these helpers are killed when the scenario
# exits. Every helper that waits has a limit and fails the scenario with a
# message naming what it waited for.

set -uo pipefail
LA16=$LA16_BUILD/la16
CAPTURE=$LA16_BUILD/la16-capture
ANALYSER=$LA16_BUILD/la16-uhid-analyser
RIG_USER=65534
RIG_TRACKED=()
ANALYSER_PID=""
ANALYSER_NODE=""

rig_cleanup() {
  local pid
  for pid in "${RIG_TRACKED[@]}"; do
    kill -TERM "$pid" 2>/dev/null
  done
  for pid in "${RIG_TRACKED[@]}"; do
    wait "$pid" 2>/dev/null
  done
}
trap rig_cleanup EXIT

# fail MESSAGE: ends the scenario as failed.
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# note MESSAGE: a line of progress in the scenario's output.
note() { echo "$*"; }

# track PID: the process is killed when the scenario exits.
track() { RIG_TRACKED+=("$1"); }

# wait_for SECONDS WHAT COMMAND...: polls COMMAND every 0.1 s until it
# succeeds; fails the scenario with "WHAT" after SECONDS.
wait_for() {
  local seconds=$1 what=$2
  shift 2
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    ((SECONDS < deadline)) || fail "no $what within $seconds s"
    sleep 0.1
  done
}

# wait_exit PID SECONDS: waits for a child to end and sets EXIT_STATUS; fails
# the scenario when it is still running after SECONDS (and kills it).
wait_exit() {
  local pid=$1 seconds=$2
  local deadline=$((SECONDS * 10 + seconds * 10)) now
  while kill -0 "$pid" 2>/dev/null; do
    now=$((SECONDS * 10))
    if ((now >= deadline)); then
      kill -KILL "$pid" 2>/dev/null
      wait "$pid" 2>/dev/null
      fail "process $pid still running after $seconds s"
    fi
    # A zombie counts as ended: wait below reaps it.
    [[ "$(cut -d' ' -f3 "/proc/$pid/stat" 2>/dev/null)" == Z ]] && break
    sleep 0.05
  done
  wait "$pid"
  EXIT_STATUS=$?
}

# hidraw_nodes VID PID: the /dev/hidrawN of every HID device with these ids
# (hexadecimal, any case), one a line.
hidraw_nodes() {
  local vid pid entry id
  vid=$(printf '%08X' "0x$1")
  pid=$(printf '%08X' "0x$2")
  for entry in /sys/class/hidraw/hidraw*; do
    [[ -e "$entry" ]] || continue
    id=$(sed -n 's/^HID_ID=//p' "$entry/device/uevent" 2>/dev/null)
    [[ "${id#*:}" == "$vid:$pid" ]] && echo "/dev/${entry##*/}"
  done
}

# wait_for_node VID PID [SECONDS]: waits for a hidraw node with these ids that
# is not among KNOWN_NODES, and for udev to have handled it; prints it.
wait_for_node() {
  local vid=$1 pid=$2 seconds=${3:-20} node deadline=$((SECONDS + ${3:-20}))
  while :; do
    for node in $(hidraw_nodes "$vid" "$pid"); do
      if [[ " ${KNOWN_NODES:-} " != *" $node "* && -c "$node" ]]; then
        udevadm settle --timeout=30
        echo "$node"
        return 0
      fi
    done
    ((SECONDS < deadline)) || fail "no hidraw node for $vid:$pid within $seconds s"
    sleep 0.1
  done
}

# start_analyser [OPTIONS...]: starts la16-uhid-analyser with OPTIONS (its
# output in $SCENARIO_DIR/analyserN.out), waits until the kernel has started
# it and its hidraw node is there; sets ANALYSER_PID and ANALYSER_NODE.
start_analyser() {
  local vid=04d8 pid=0005 args=("$@") i
  for ((i = 0; i < ${#args[@]}; i++)); do
    [[ "${args[i]}" == --vendor ]] && vid=${args[i + 1]}
    [[ "${args[i]}" == --product ]] && pid=${args[i + 1]}
  done
  RIG_ANALYSERS=$((${RIG_ANALYSERS:-0} + 1))
  local ready=$SCENARIO_DIR/analyser$RIG_ANALYSERS.ready
  KNOWN_NODES=$(hidraw_nodes "$vid" "$pid" | tr '\n' ' ')
  "$ANALYSER" --ready-file "$ready" "$@" >"$SCENARIO_DIR/analyser$RIG_ANALYSERS.out" 2>&1 &
  ANALYSER_PID=$!
  track "$ANALYSER_PID"
  wait_for 20 "start of la16-uhid-analyser $*" test -e "$ready"
  ANALYSER_NODE=$(wait_for_node "$vid" "$pid") || exit 1
  note "analyser $ANALYSER_PID on $ANALYSER_NODE"
}

# unplug_analyser [PID]: pulls the analyser out (SIGUSR1) and waits until its
# node is gone.
unplug_analyser() {
  local pid=${1:-$ANALYSER_PID} node=${2:-$ANALYSER_NODE}
  kill -USR1 "$pid" || fail "analyser $pid is not running"
  wait_for 10 "removal of $node" test ! -e "$node"
}

# stop_analyser [PID]: ends the analyser (SIGTERM) and checks it exits 0.
stop_analyser() {
  local pid=${1:-$ANALYSER_PID}
  kill -TERM "$pid" 2>/dev/null
  wait_exit "$pid" 10
  [[ $EXIT_STATUS == 0 ]] || fail "la16-uhid-analyser ended with status $EXIT_STATUS"
}

# as_user COMMAND...: runs COMMAND as the unprivileged user RIG_USER, with the
# environment as it is.
as_user() {
  setpriv --reuid="$RIG_USER" --regid="$RIG_USER" --clear-groups -- "$@"
}

# write_memory FILE: a memory of 2047 samples in which every input has edges
# of its own rhythm (inputs 1 to 8 count, 9 to 16 a scrambled counter), one
# line of 4 hex digits per sample, bit k-1 being input k.
write_memory() {
  awk 'BEGIN { for (n = 0; n < 2047; n++) {
      low = n % 256; high = int((n * 37 + 11) / 3) % 256
      printf "%04x\n", high * 256 + low } }' >"$1"
}

# write_settings FOLDER PULL SPEED: a parametres.inf in FOLDER (80 lines, CR
# LF) with the folder itself on line 2, the pull on line 6 and the PC speed on
# line 8.
write_settings() {
  local folder=$1 n line
  mkdir -p "$folder"
  for ((n = 1; n <= 80; n++)); do
    line=""
    case $n in
      2) line="$folder/" ;;
      6) line=$2 ;;
      8) line=$3 ;;
    esac
    printf '%s\r\n' "$line"
  done >"$folder/parametres.inf"
}

# la16_environment FOLDER: the environment la16 runs in under the rig
# (offscreen, settings and snapshot in FOLDER/la16 of XDG_DATA_HOME=FOLDER).
la16_environment() {
  export QT_QPA_PLATFORM=offscreen XDG_DATA_HOME=$1 XDG_RUNTIME_DIR=$1/runtime
  mkdir -p "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
}

# start_la16 NAME STEPS [as_user]: starts la16 (offscreen, environment of
# la16_environment) with LA16_PROBE=steps:STEPS, its output in
# $SCENARIO_DIR/NAME.out; as_user runs it as RIG_USER. Sets LA16_PID.
start_la16() {
  local name=$1 steps=$2 runner=()
  [[ "${3:-}" == as_user ]] && runner=(as_user)
  LA16_PROBE=steps:$steps "${runner[@]}" "$LA16" >"$SCENARIO_DIR/$name.out" 2>&1 &
  LA16_PID=$!
  track "$LA16_PID"
}

# wait_line FILE PATTERN SECONDS: waits for a line matching the extended
# regular expression PATTERN in FILE.
wait_line() {
  wait_for "$3" "line /$2/ in ${1##*/}" grep -Eq "$2" "$1"
}

# probe_value FILE STEP KEY: the value of KEY=... on la16's "la16-probe STEP"
# line.
probe_value() {
  sed -n "s/^la16-probe $2 .*$3=\([^ ]*\).*/\1/p" "$1" | tail -n 1
}

# report_line BYTE...: an output report as la16-uhid-analyser logs it: the
# bytes given, then zeros up to 65 bytes.
report_line() {
  local bytes=("$@")
  while ((${#bytes[@]} < 65)); do bytes+=(00); done
  echo "${bytes[*]}"
}

# check_commands LOG FIRST COMMAND...: the analyser's command log holds from
# line FIRST on exactly these commands (their first bytes, the rest zeros up
# to 65 bytes) and nothing after them.
check_commands() {
  local log=$1 line=$2 expected got
  shift 2
  for expected in "$@"; do
    got=$(sed -n "${line}p" "$log")
    [[ "$got" == "$(report_line $expected)" ]] ||
      fail "command $line received: '${got:-nothing}', expected $expected and zeros (65 bytes)"
    line=$((line + 1))
  done
  got=$(sed -n "${line},\$p" "$log")
  [[ -z "$got" ]] || fail "commands after the expected ones: $(echo "$got" | cut -c1-12 | tr '\n' ',')"
}

# The attach sequence for PC speed 300 and pull up.
ATTACH_COMMANDS=("00 06 01 2c" "00 0b 01 2c" "00 0a 01 2c")

# check_snapshot MEMORY PICTURE OFFSET...: PICTURE's trace area is what
# la16-render-memory draws from MEMORY for those windows in turn.
check_snapshot() {
  local memory=$1 picture=$2
  shift 2
  [[ -f "$picture" ]] || fail "no snapshot $picture"
  "$LA16_BUILD/la16-render-memory" "$memory" "$picture" "$@" \
    --write "${picture%.bmp}-expected.bmp" ||
    fail "$picture is not the picture of the analyser's memory (windows $*)"
}

# memory_matches_csv MEMORY CSV FIRST COUNT: the CSV la16-capture wrote holds
# samples FIRST to FIRST+COUNT-1 of MEMORY, every input of every sample.
memory_matches_csv() {
  awk -F, -v first="$3" -v count="$4" '
    NR == FNR { memory[NR - 1] = tolower($1); next }
    FNR == 1 { next }
    {
      rows++
      if ($1 != first + rows - 1) { printf "row %d is sample %s, expected %d\n", rows, $1, first + rows - 1; bad = 1; exit }
      value = 0
      for (k = 16; k >= 1; k--) value = value * 2 + $(k + 2)
      got = sprintf("%04x", value)
      if (got != memory[$1]) { printf "sample %s: %s, memory holds %s\n", $1, got, memory[$1]; bad = 1; exit }
    }
    END { if (!bad && rows != count) { printf "%d samples, expected %d\n", rows, count; bad = 1 } exit bad }
  ' "$1" "$2"
}

# memory_matches_vcd MEMORY VCD: the VCD holds the whole memory. It reads one
# sample per timestamp that changes something (the last timestamp, which only
# marks the end, changes nothing), so MEMORY must change at every sample
# (write_memory's does: input 1 toggles); timestamps must increase.
memory_matches_vcd() {
  awk '
    function take(   value, k) {
      if (!pending || (changes == 0 && n > 0)) return
      value = 0
      for (k = 16; k >= 1; k--) value = value * 2 + level[k]
      if (sprintf("%04x", value) != memory[n]) { printf "sample %d: %04x, memory holds %s\n", n, value, memory[n]; bad = 1 }
      n++
      pending = 0
    }
    BEGIN { n = 0 }
    NR == FNR { memory[NR - 1] = tolower($1); next }
    bad { exit }
    $1 == "$var" { id[$4] = substr($5, 3) + 0; next }
    /^#/ {
      take()
      t = substr($0, 2) + 0
      if (seen && t <= last) { printf "timestamp %d after %d\n", t, last; bad = 1 }
      last = t; seen = 1; pending = 1; changes = 0; next
    }
    /^[01]/ && seen { level[id[substr($0, 2)]] = substr($0, 1, 1) + 0; changes++ }
    END {
      if (!bad) take()
      if (!bad && n != 2047) { printf "%d samples, expected 2047\n", n; bad = 1 }
      exit bad
    }
  ' "$1" "$2"
}

# windows_build EXE: sets WINDOWS_EXE to EXE (a path under the Windows build
# folder) and copies that build's Wine prefix into the guest's memory as
# WINEPREFIX (Wine writes to its prefix; making a new one on an emulated
# processor takes long). Without the build the scenario is skipped, or fails
# under CI.
windows_build() {
  local windows=${LA16_WINDOWS_BUILD:-$LA16_SOURCE/build-windows}
  WINDOWS_EXE=$windows/$1
  if [[ ! -f "$WINDOWS_EXE" || ! -f "$windows/wineprefix/system.reg" ]]; then
    [[ "${RIG_CI:-}" == true ]] && fail "no $1 with its Wine prefix in $windows"
    note "skipped: no $1 in $windows (scripts/cross-windows makes it)"
    exit 0
  fi
  export WINEPREFIX=/tmp/wineprefix WINEDEBUG=-all
  rm -rf "$WINEPREFIX"
  cp -a "$windows/wineprefix" "$WINEPREFIX" || fail "cannot copy the Wine prefix"
}

# known_analyser_and_la16: the analyser with a known memory (MEMORY) logging
# its commands (LOG), at three wall seconds per simulated second (a report
# every 9 ms: the emulated guest draws every restitution before the next, and
# hidraw drops none); la16's folders with PC speed 300 and pull up.
known_analyser_and_la16() {
  MEMORY=$SCENARIO_DIR/memory.txt
  LOG=$SCENARIO_DIR/commands.log
  write_memory "$MEMORY"
  start_analyser --memory "$MEMORY" --log "$LOG" --time-scale 3
  la16_environment "$SCENARIO_DIR/data"
  write_settings "$SCENARIO_DIR/data/la16" 1 300
}
