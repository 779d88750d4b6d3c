# Waiting for a condition, with a time limit (part of tests/lib/common.sh).
# shellcheck shell=bash

# wait_until SECONDS COMMAND...: runs COMMAND every tenth of a second until it succeeds; false
# when the time runs out.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# wait_for SECONDS COMMAND...: as wait_until, and prints what COMMAND printed when it succeeded,
# for what a script waits to find: window=$(wait_for 15 visible_window "$pid" Title) || fail ...
wait_for() {
    local deadline=$((SECONDS + $1)) found
    shift
    until found=$("$@"); do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
    printf '%s\n' "$found"
}
