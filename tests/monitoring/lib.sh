# Shared by the monitoring-engine tests: the tests' shell library (tests/lib/common.sh: processes,
# waits, failures, the simulated devices) and the README's code blocks. Source it; it sets
# -euo pipefail and cleans up when the script ends.
# shellcheck shell=bash

# shellcheck source=../lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib/common.sh" monitoring monitoring

# readme_block HEADING FILE: the lines of the first fenced code block after the line HEADING.
readme_block() {
    awk -v heading="$1" '
        $0 == heading { found = 1; next }
        found && /^```/ { if (inside) exit; inside = 1; next }
        inside { print }' "$2"
}
