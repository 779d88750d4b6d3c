#!/usr/bin/env bash
# Nagios 4 runs orvane-check through the command, host group and service definitions of the
# README's Nagios block, taken as they stand, against six simulated devices: their hosts are the
# README's example host with each one's name and address, and the sample configuration of the
# Nagios package gives the templates. The engine has a configuration of its own in a temporary
# directory. Active checks are off, so every result comes from a check forced through the
# external command file; status.dat must then show each device's state, the check's first line
# as output and the performance data as the engine split them off.
# usage: nagios_engine.sh ORVANE_CHECK ORVANE_SIMDEVICE README
source "$(dirname "$0")/lib.sh"

check_program=${1:?usage: nagios_engine.sh ORVANE_CHECK ORVANE_SIMDEVICE README}
simdevice=${2:?}
readme=${3:?}
require_tools nagios4
# The checks' lookups of holders' names stay on this machine: the whole scenario runs with a
# resolver of its own, which knows the PC that holds the "other-pc" device by name.
printf '%s\n' '127.0.0.1 localhost' '192.0.2.7 labpc-07' >"$scratch/hosts"
# shellcheck source=../lib/resolver.sh
source "$lib_dir/resolver.sh"
script_with_own_resolver "$scratch/hosts" refusing "$0" "$@"

# The README's definitions; its example host is the pattern of the test's hosts (its address is no
# loopback address).
readme_block "### Nagios" "$readme" | awk -v host_file="$scratch/readme-host.cfg" '
    /^define / { host = ($2 == "host") }
    host { print >host_file; next }
    { print }
    /^}/ { host = 0 }' >"$scratch/readme.cfg"
[[ -s $scratch/readme-host.cfg ]] || fail "the README's Nagios block defines no host"
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
read -r warning_ms critical_ms timeout_ms < <(awk -v w="$warning" -v c="$critical" -v t="$timeout" \
    'BEGIN { printf "%d %d %d\n", w * 1000 + 0.5, c * 1000 + 0.5, t * 1000 + 0.5 }')

# The devices, one host each: address, reply name, console command, expected state, output and
# performance data. The slow one answers halfway between the two thresholds.
perfdata="rtt=[0-9]+\.[0-9]{3}ms;$warning_ms;$critical_ms;0;$timeout_ms"
devices=(
    "free|127.0.1.20|CAPTURE-12|free|0|ORVANE OK - captureORVANE \"CAPTURE-12\" available|$perfdata"
    "this-pc|127.0.1.21|SRC-6603|held 127.0.0.1|0|ORVANE OK - sourceORVANE \"SRC-6603\" used by this PC|$perfdata"
    "other-pc|127.0.1.22|CAPTURE-3|held 192.0.2.7|1|ORVANE WARNING - captureORVANE \"CAPTURE-3\" used by another PC \\(labpc-07, 192\\.0\\.2\\.7\\)|$perfdata"
    "silent|127.0.1.23|CAPTURE-4|silent|2|ORVANE CRITICAL - no answer from 127\\.0\\.1\\.23 within [0-9.]+ s|"
    "no-separator|127.0.1.24|CAPTURE-5|nohash|3|ORVANE UNKNOWN - query of 127\\.0\\.1\\.24 failed with result 13 \\(the reply holds no \"#\"\\)|"
    "slow|127.0.1.25|CAPTURE-6|delay $(((warning_ms + critical_ms) / 2))|1|ORVANE WARNING - captureORVANE \"CAPTURE-6\" available, but the answer took [0-9]+\\.[0-9] ms \\(warning above $warning_ms ms\\)|$perfdata")
# Each device's host is the README's host with the device's name and address. What status.dat
# must show of it, as a pattern of the line that service_status makes of it.
hosts=() expected=()
for entry in "${devices[@]}"; do
    IFS='|' read -r host address name command state output perfdata <<<"$entry"
    hosts+=("$host")
    expected+=("$host"$'\t'"$state"$'\t[0-9]+\t'"$output"$'\t'"$perfdata")
    start_device "$simdevice" "$address" "$name"
    device_command "$address" "$command"
    sed -e "s/^\( *host_name *\).*/\1$host/" -e "s/^\( *address *\).*/\1$address/" \
        "$scratch/readme-host.cfg" >>"$scratch/hosts.cfg"
done

# The engine runs as whoever runs the test (root in CI): it drops to nagios_user only when that
# is another user, and the temporary directory belongs to this one.
mkdir "$scratch/checkresults" "$scratch/state"
# shellcheck disable=SC2016 # $USER1$ is Nagios's macro
printf '$USER1$=%s\n' "$(cd "$(dirname "$check_program")" && pwd)" >"$scratch/resource.cfg"
# Around the README's definitions, the objects of the sample configuration that Nagios installs,
# as the README says: its commands, contacts, time periods and the templates generic-host and
# generic-service. Nagios would look its vendor's update server up at start: not from a test.
# The engine's files in the temporary directory, and what it would do unasked switched off.
files=(log_file=nagios.log status_file=status.dat object_cache_file=objects.cache
    precached_object_file=objects.precache temp_file=nagios.tmp lock_file=nagios.lock
    state_retention_file=retention.dat command_file=nagios.cmd check_result_path=checkresults
    query_socket=nagios.qh)
{
    printf 'cfg_file=%s\n' /etc/nagios4/objects/{commands,contacts,timeperiods,templates}.cfg \
        "$scratch"/{readme,hosts}.cfg
    printf '%s\n' "${files[@]/=/=$scratch/}"
    printf '%s=0\n' retain_state_information use_syslog check_for_updates enable_notifications \
        execute_host_checks execute_service_checks enable_flap_detection
    cat <<EOF
resource_file=$scratch/resource.cfg
status_update_interval=1
temp_path=$scratch
check_external_commands=1
nagios_user=$(id -un)
nagios_group=$(id -gn)
illegal_macro_output_chars=\`~\$&|'"<>
EOF
} >"$scratch/nagios.cfg"

# shellcheck disable=SC2015 # fails unless all three hold
nagios4 -v "$scratch/nagios.cfg" >"$scratch/verify.txt" 2>&1 &&
    grep -q '^Total Errors: *0$' "$scratch/verify.txt" &&
    grep -q '^Total Warnings: *0$' "$scratch/verify.txt" ||
    fail "nagios4 -v refuses the configuration or warns: $(cat "$scratch/verify.txt")"
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
workers_ended() { local worker; for worker in $workers; do process_ended "$worker" || return 1; done; }
wait_until 10 workers_ended || fail "Nagios left its workers $workers running"

service_status >"$scratch/results"
while IFS=$'\t' read -r host state _ output perfdata; do
    note "$host: state $state, output '$output', performance data '$perfdata'"
done <"$scratch/results"
missing=()
for pattern in "${expected[@]}"; do
    grep -Eqx "$pattern" "$scratch/results" || missing+=("/$pattern/")
done
seen=$(wc -l <"$scratch/results")
((seen == ${#hosts[@]})) || fail "status.dat holds $seen services, not ${#hosts[@]}"
((${#missing[@]} == 0)) || fail "no service shows ${missing[*]}"
note "Nagios shows the right state, output and performance data for all ${#hosts[@]} devices"
