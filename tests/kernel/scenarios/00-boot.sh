# SPDX-License-Identifier: GPL-3.0-or-later
# The guest itself: the HID modules are there, the kernel gives /dev/uhid,
# udevd runs and the programs under test start.
. "$RIG_LIB"

for module in uhid hid_generic; do
  grep -q "^$module " /proc/modules || fail "module $module not loaded"
done
[[ -c /dev/uhid ]] || fail "/dev/uhid missing"
[[ -d /sys/class/hidraw ]] || fail "no hidraw class: hidraw not in the kernel"
udevadm control --ping || fail "systemd-udevd does not answer"
for program in "$LA16" "$CAPTURE"; do
  [[ -x "$program" ]] || fail "$program not built"
done
"$CAPTURE" --help >/dev/null || fail "la16-capture does not start in the guest"
note "kernel $(uname -r), $(nproc) processors"
