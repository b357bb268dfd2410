# SPDX-License-Identifier: GPL-3.0-or-later
# The udev rule la16 ships, installed: udevadm test tags the analyser's
# hidraw node with uaccess, and a device of another vendor with nothing.
. "$RIG_LIB"

rule=/etc/udev/rules.d/70-la16.rules
cp "$LA16_SOURCE/packaging/linux/70-la16.rules" "$rule" || fail "cannot install the rule in the guest"
trap 'rm -f "$rule"; udevadm control --reload; rig_cleanup' EXIT
udevadm control --reload || fail "udevd does not reload its rules"

# tags_of NODE: the tags udevadm test gives the node's device.
tags_of() {
  udevadm test "/sys/class/hidraw/${1##*/}" 2>/dev/null | sed -n 's/^TAGS=//p'
}

start_analyser
tags=$(tags_of "$ANALYSER_NODE")
[[ "$tags" == *:uaccess:* ]] || fail "the analyser's $ANALYSER_NODE has tags '$tags', no uaccess"
note "analyser $ANALYSER_NODE: TAGS=$tags"
stop_analyser

start_analyser --vendor 1234 --product 5678
tags=$(tags_of "$ANALYSER_NODE")
[[ "$tags" != *uaccess* ]] || fail "another vendor's $ANALYSER_NODE has the uaccess tag ($tags)"
note "other vendor $ANALYSER_NODE: TAGS=${tags:-none}"
stop_analyser
