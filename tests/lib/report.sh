# Notes, failures and skips, and the tools a script needs (part of tests/lib/common.sh).
# shellcheck shell=bash

note() {
    echo "$note_prefix: $*"
}

# Ends the script with 1; the cleanup still runs.
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Ends the script as skipped (CTest's SKIP_RETURN_CODE), with the reason.
skip() {
    echo "SKIP: $*"
    exit "$SKIP"
}

# Skips the script with a clear reason when a tool of its package group is missing.
require_tools() {
    local tool missing=()
    for tool in "$@"; do
        command -v "$tool" >/dev/null || missing+=("$tool")
    done
    ((${#missing[@]} == 0)) ||
        skip "missing ${missing[*]}; install them with scripts/install-deps.sh $package_group"
}
