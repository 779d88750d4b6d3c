#!/usr/bin/env bash
# Icinga 2 validates the README's Icinga 2 block, taken as it stands, in a scratch configuration
# (icinga2 daemon -C): the service that the apply rule makes must use the README's command, and
# every argument of that command must be an option that orvane-check knows.
# usage: icinga_config.sh ORVANE_CHECK README
source "$(dirname "$0")/lib.sh"

check_program=${1:?usage: icinga_config.sh ORVANE_CHECK README}
readme=${2:?}
require_tools icinga2

readme_block "### Icinga 2" "$readme" >"$scratch/readme.conf"
[[ -s $scratch/readme.conf ]] || fail "the README has no Icinga 2 block"
# What the stock configuration would give the README's objects: the template library (for the
# "dummy" check of the host) and the plugin directory.
cat >"$scratch/icinga2.conf" <<EOF
include <itl>
const PluginDir = "$(cd "$(dirname "$check_program")" && pwd)"
include "readme.conf"
EOF

# Every directory of the daemon in the scratch tree; it runs as whoever runs the test (root in CI)
# instead of dropping to the packaged user, who could not write there.
directories=(ConfigDir=config DataDir=data LogDir=log CacheDir=cache SpoolDir=spool InitRunDir=run)
defines=()
for directory in "${directories[@]}"; do
    mkdir -p "$scratch/${directory#*=}"
    defines+=(--define "${directory%%=*}=$scratch/${directory#*=}")
done
ICINGA2_USER=$(id -un) ICINGA2_GROUP=$(id -gn)
export ICINGA2_USER ICINGA2_GROUP

icinga2 daemon -C --config "$scratch/icinga2.conf" "${defines[@]}" >"$scratch/validate.txt" 2>&1 ||
    fail "icinga2 daemon -C refuses the README's objects: $(cat "$scratch/validate.txt")"
grep -q 'Finished validating the configuration' "$scratch/validate.txt" ||
    fail "icinga2 did not finish validating: $(cat "$scratch/validate.txt")"
note "icinga2 daemon -C accepts the README's objects"

icinga2 object list --type Service "${defines[@]}" >"$scratch/services.txt" 2>&1 ||
    fail "icinga2 object list: $(cat "$scratch/services.txt")"
command_name=$(sed -n 's/^object CheckCommand "\(.*\)" {$/\1/p' "$scratch/readme.conf")
[[ -n $command_name ]] || fail "the README's Icinga 2 block defines no CheckCommand"
grep -q "^Object '.*' of type 'Service':" "$scratch/services.txt" ||
    fail "the apply rule made no service: $(cat "$scratch/services.txt")"
! grep '^  \* check_command = ' "$scratch/services.txt" | grep -vq "= \"$command_name\"\$" ||
    fail "a service uses another command: $(grep check_command "$scratch/services.txt")"

help=$("$check_program" --help)
arguments=$(awk '/^  arguments = \{/ { inside = 1; next } inside && /^  \}/ { exit }
    inside { gsub(/"/, "", $1); print $1 }' "$scratch/readme.conf")
[[ -n $arguments ]] || fail "the README's CheckCommand passes no arguments"
for argument in $arguments; do
    grep -Eq "^ *$argument, --" <<<"$help" || fail "orvane-check has no option $argument"
done
note "the services use $command_name, whose arguments orvane-check knows: $(echo "$arguments" | xargs)"
