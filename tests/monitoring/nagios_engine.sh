#!/usr/bin/env bash
# Nagios 4 runs orvane-check through the command, host group and service definitions of the
# README's Nagios block, taken as they stand, against six simulated devices. The engine has a
# configuration of its own in a temporary directory; its host definitions replace the README's
# example host. Active checks are off, so every result comes from a check forced through the
# external command file; status.dat must then show each device's state, the check's first line
# as output and the performance data as the engine split them off.
# usage: nagios_engine.sh ORVANE_CHECK ORVANE_SIMDEVICE README
source "$(dirname "$0")/lib.sh"

check_program=${1:?usage: nagios_engine.sh ORVANE_CHECK ORVANE_SIMDEVICE README}
simdevice=${2:?}
readme=${3:?}
require_tools nagios4

# The README's definitions, without the example host (its address is no loopback address).
readme_block "### Nagios" "$readme" | awk '
    /^define / { keep = ($2 != "host") }
    keep { print }
    /^}/ { keep = 0 }' >"$scratch/readme.cfg"
# service_field NAME: a field of the README's service definition.
service_field() {
    awk -v name="$1" '/^define service/ { inside = 1 } inside && $1 == name { $1 = ""; sub(/^ +/, "");
        print; exit }' "$scratch/readme.cfg"
}
hostgroup=$(service_field hostgroup_name)
service=$(service_field service_description)
IFS='!' read -r command_name timeout warning critical <<<"$(service_field check_command)"
[[ -n $hostgroup && -n $service && -n $critical ]] ||
    fail "the README's Nagios service lacks a host group, a description or check_orvane!T!W!C"
grep -q "command_name *$command_name\$" "$scratch/readme.cfg" ||
    fail "the README's Nagios block defines no command $command_name"
milliseconds() { awk -v s="$1" 'BEGIN { printf "%d", s * 1000 + 0.5 }'; }
warning_ms=$(milliseconds "$warning")
critical_ms=$(milliseconds "$critical")
timeout_ms=$(milliseconds "$timeout")

# The devices, one host each: address, reply name, console command, expected state and output.
# The slow one answers halfway between the two thresholds.
hosts=(free this-pc other-pc silent no-separator slow)
declare -A address=([free]=127.0.1.20 [this-pc]=127.0.1.21 [other-pc]=127.0.1.22
    [silent]=127.0.1.23 [no-separator]=127.0.1.24 [slow]=127.0.1.25)
declare -A name=([free]=CAPTURE-12 [this-pc]=SRC-6603 [other-pc]=CAPTURE-3 [silent]=CAPTURE-4
    [no-separator]=CAPTURE-5 [slow]=CAPTURE-6)
declare -A command=([free]=free [this-pc]="held 127.0.0.1" [other-pc]="held 192.0.2.7"
    [silent]=silent [no-separator]=nohash [slow]="delay $(((warning_ms + critical_ms) / 2))")
declare -A state=([free]=0 [this-pc]=0 [other-pc]=1 [silent]=2 [no-separator]=3 [slow]=1)
perfdata="rtt=[0-9]+\.[0-9]{3}ms;$warning_ms;$critical_ms;0;$timeout_ms"
declare -A output=(
    [free]='ORVANE OK - captureORVANE "CAPTURE-12" available'
    [this-pc]='ORVANE OK - sourceORVANE "SRC-6603" used by this PC'
    [other-pc]='ORVANE WARNING - captureORVANE "CAPTURE-3" used by another PC \(192\.0\.2\.7\)'
    [silent]='ORVANE CRITICAL - no answer from 127\.0\.1\.23 within [0-9.]+ s'
    [no-separator]='ORVANE UNKNOWN - query of 127\.0\.1\.24 failed with result 13 \(the reply holds no "#"\)'
    [slow]="ORVANE WARNING - captureORVANE \"CAPTURE-6\" available, but the answer took [0-9]+\.[0-9] ms \(warning above $warning_ms ms\)")
declare -A expected_perfdata=([free]=$perfdata [this-pc]=$perfdata [other-pc]=$perfdata
    [silent]='' [no-separator]='' [slow]=$perfdata)

for host in "${hosts[@]}"; do
    start_device "$simdevice" "${address[$host]}" "${name[$host]}"
    device_command "${address[$host]}" "${command[$host]}"
done

# What a site has around the README's definitions: templates, a time period, a contact, hosts.
{
    cat <<EOF
define timeperiod {
    timeperiod_name 24x7
    alias           always
    sunday    00:00-24:00
    monday    00:00-24:00
    tuesday   00:00-24:00
    wednesday 00:00-24:00
    thursday  00:00-24:00
    friday    00:00-24:00
    saturday  00:00-24:00
}
define command {
    command_name    notify-nobody
    command_line    /bin/true
}
define contact {
    contact_name                  nobody
    host_notifications_enabled    0
    service_notifications_enabled 0
    host_notification_period      24x7
    service_notification_period   24x7
    host_notification_options     n
    service_notification_options  n
    host_notification_commands    notify-nobody
    service_notification_commands notify-nobody
}
define service {
    name                  generic-service
    register              0
    max_check_attempts    1
    check_interval        60
    retry_interval        1
    check_period          24x7
    notification_period   24x7
    notification_interval 0
    contacts              nobody
}
define host {
    name                  generic-host
    register              0
    max_check_attempts    1
    check_period          24x7
    notification_period   24x7
    notification_interval 0
    contacts              nobody
}
EOF
    for host in "${hosts[@]}"; do
        printf 'define host {\n    use generic-host\n    host_name %s\n    address %s\n' \
            "$host" "${address[$host]}"
        printf '    hostgroups %s\n}\n' "$hostgroup"
    done
} >"$scratch/site.cfg"

# The engine runs as whoever runs the test (root in CI): it drops to nagios_user only when that
# is another user, and the temporary directory belongs to this one.
mkdir "$scratch/checkresults" "$scratch/state"
# shellcheck disable=SC2016 # $USER1$ is Nagios's macro
printf '$USER1$=%s\n' "$(cd "$(dirname "$check_program")" && pwd)" >"$scratch/resource.cfg"
cat >"$scratch/nagios.cfg" <<EOF
cfg_file=$scratch/site.cfg
cfg_file=$scratch/readme.cfg
resource_file=$scratch/resource.cfg
log_file=$scratch/nagios.log
status_file=$scratch/status.dat
status_update_interval=1
object_cache_file=$scratch/objects.cache
precached_object_file=$scratch/objects.precache
temp_file=$scratch/nagios.tmp
temp_path=$scratch
lock_file=$scratch/nagios.lock
state_retention_file=$scratch/retention.dat
retain_state_information=0
command_file=$scratch/nagios.cmd
check_external_commands=1
check_result_path=$scratch/checkresults
query_socket=$scratch/nagios.qh
nagios_user=$(id -un)
nagios_group=$(id -gn)
use_syslog=0
enable_notifications=0
execute_host_checks=0
execute_service_checks=0
enable_flap_detection=0
illegal_macro_output_chars=\`~\$&|'"<>
EOF

nagios4 -v "$scratch/nagios.cfg" >"$scratch/verify.txt" 2>&1 ||
    fail "nagios4 -v refuses the configuration: $(grep -E 'Error|Warning' "$scratch/verify.txt")"
if ! grep -q '^Total Errors: *0$' "$scratch/verify.txt" ||
    ! grep -q '^Total Warnings: *0$' "$scratch/verify.txt"; then
    fail "nagios4 -v: $(cat "$scratch/verify.txt")"
fi
grep -q "Checked ${#hosts[@]} services" "$scratch/verify.txt" ||
    fail "the README's service did not reach every host: $(grep Checked "$scratch/verify.txt")"
note "nagios4 -v accepts the README's definitions without errors or warnings"

# The network layer's debug log of the checks goes to the test's directory.
XDG_STATE_HOME=$scratch/state start_process nagios4 "$scratch/nagios.cfg" >"$scratch/nagios.out" 2>&1
nagios_pid=$!
wait_until 20 test -p "$scratch/nagios.cmd" || fail "Nagios made no command file: $(cat "$scratch/nagios.out")"
wait_until 20 grep -q 'Successfully launched command file worker' "$scratch/nagios.log" ||
    fail "Nagios did not start its command file worker: $(cat "$scratch/nagios.log")"

forced_at=$(date +%s)
for host in "${hosts[@]}"; do
    printf '[%s] SCHEDULE_FORCED_SVC_CHECK;%s;%s;%s\n' "$forced_at" "$host" "$service" "$forced_at"
done >"$scratch/commands.txt"
timeout 10 dd of="$scratch/nagios.cmd" if="$scratch/commands.txt" status=none ||
    fail "could not write to the external command file"

# servicestatus blocks of status.dat as: host TAB state TAB last_check TAB output TAB performance
# data. Nagios deletes the file when it ends, so the test reads a copy.
service_status() {
    awk -v service="$service" '
        /^servicestatus \{/ { inside = 1; delete field; next }
        inside && /^\t}/ {
            if (field["service_description"] == service)
                printf "%s\t%s\t%s\t%s\t%s\n", field["host_name"], field["current_state"],
                    field["last_check"], field["plugin_output"], field["performance_data"]
            inside = 0; next }
        inside { line = $0; sub(/^\t/, "", line); equals = index(line, "=")
            field[substr(line, 1, equals - 1)] = substr(line, equals + 1) }' "$scratch/status.copy"
}
all_checked() {
    cp "$scratch/status.dat" "$scratch/status.copy" 2>/dev/null &&
        (($(service_status | awk -F'\t' -v t="$forced_at" '$3 >= t' | wc -l) == ${#hosts[@]}))
}
wait_until 30 all_checked || fail "not every forced check reached status.dat: $(service_status)"

# The engine ends its worker processes itself when it is told to end.
workers=$(pgrep -P "$nagios_pid" | tr '\n' ' ')
stop_process "$nagios_pid" 30
workers_ended() {
    local worker
    for worker in $workers; do
        process_ended "$worker" || return 1
    done
}
wait_until 10 workers_ended || fail "Nagios left its workers $workers running"

failures=0
seen=0
while IFS=$'\t' read -r host current _ plugin_output performance_data; do
    seen=$((seen + 1))
    note "$host: state $current, output '$plugin_output', performance data '$performance_data'"
    if [[ $current != "${state[$host]}" ]] || ! [[ $plugin_output =~ ^${output[$host]}$ ]] ||
        ! [[ $performance_data =~ ^${expected_perfdata[$host]}$ ]]; then
        echo "FAIL: $host: expected state ${state[$host]}, output /${output[$host]}/," \
            "performance data /${expected_perfdata[$host]}/" >&2
        failures=$((failures + 1))
    fi
done < <(service_status)
((seen == ${#hosts[@]})) || fail "status.dat holds $seen services, not ${#hosts[@]}"
((failures == 0)) || fail "$failures of ${#hosts[@]} services show the wrong result"
note "Nagios shows the right state, output and performance data for all ${#hosts[@]} devices"
