#!/usr/bin/env bash
# The host name of the PC that holds the device, through a resolver of the test's own
# (tests/lib/resolver.sh) whose name server never answers: beside the address in the status line
# and in the JSON where the hosts file names the address; not with -n, not for a name that is no
# host name, not looked up for a holder text that is no address; and the whole check, lookup
# included, within its time-out.
# usage: holder_names.sh ORVANE_CHECK ORVANE_SIMDEVICE
# shellcheck source=../lib/common.sh
source "$(dirname "$0")/../lib/common.sh" check test
# shellcheck source=../lib/resolver.sh
source "$lib_dir/resolver.sh"

check_program=${1:?usage: holder_names.sh ORVANE_CHECK ORVANE_SIMDEVICE}
simdevice=${2:?}
printf '%s\n' '127.0.0.1 localhost' '192.0.2.7 labpc-07' '192.0.2.8 <b>lab</b>' >"$scratch/hosts"
script_with_own_resolver "$scratch/hosts" silent "$0" "$@"

device=127.0.0.119
start_device "$simdevice" "$device" CAPTURE-3
# The device's answer delay and holder, the check's time-out and other options, what its first
# line must hold, and the questions that reach the name server. 192.0.2.9 is known to nobody.
cases=(
    '0;192.0.2.7;1;;used by another PC (labpc-07, 192.0.2.7) | rtt=;0'
    '0;192.0.2.7;1;--json;"user_address":"192.0.2.7","user_name":"labpc-07",;0'
    '0;192.0.2.9;1;-n;used by another PC (192.0.2.9) | rtt=;0'
    '0;192.0.2.9;1;-n --json;"user_address":"192.0.2.9","user_name":null,;0'
    '0;192.0.2.8;1;;used by another PC (192.0.2.8) | rtt=;0'
    '0;192.0.2.9 x;1;;used by another PC (192.0.2.9 x) | rtt=;0'
    '0;192.0.2.9;0.5;;used by another PC (192.0.2.9) | rtt=;1'
    '0;192.0.2.9;0.5;--json;"user_address":"192.0.2.9","user_name":null,;1'
    '300;192.0.2.9;0.6;;used by another PC (192.0.2.9) | rtt=;1')
for entry in "${cases[@]}"; do
    IFS=';' read -r delay holder seconds options expected questions <<<"$entry"
    device_command "$device" "delay $delay"
    device_command "$device" "held $holder"
    asked=$(wc -l <"$OWN_RESOLVER_QUESTIONS") status=0 started=${EPOCHREALTIME/./}
    # shellcheck disable=SC2086 # the options are words
    "$check_program" -H "$device" -t "$seconds" $options >"$scratch/out" || status=$?
    took=$(((${EPOCHREALTIME/./} - started) / 1000))
    asked=$(($(wc -l <"$OWN_RESOLVER_QUESTIONS") - asked))
    first=$(head -n 1 "$scratch/out")
    what="held by '$holder', -t $seconds $options: exit code $status, $took ms, $asked questions"
    # The whole run within the time-out, with room for starting the program on a busy machine:
    # far below the ten seconds that a wait for the silent name server would take.
    limit=$(awk -v seconds="$seconds" 'BEGIN { print seconds * 1000 + 2000 }')
    [[ $status == 1 && $took -le $limit && $asked == "$questions" && $first == *"$expected"* ]] ||
        fail "$what: $first"
    note "$what"
done
