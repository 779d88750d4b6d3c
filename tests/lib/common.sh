# The tests' shell library, for the test scripts (tests/e2e, tests/monitoring) and the measurement
# scripts (scripts/measure-*.sh, scripts/tray-screenshots.sh). Source this file; it sets
# -euo pipefail, makes the script's scratch folder, gives the script /dev/null as its standard
# input (nothing here reads the terminal, and programs that outlive the one that started them,
# such as wine's services, must not hold it), and ends all that the script started when it ends,
# whatever the outcome:
#
#   source tests/lib/common.sh NAME PACKAGE_GROUP
#     NAME           what the script's notes start with ("e2e: ...")
#     PACKAGE_GROUP  the group of scripts/packages/ that holds the tools it needs
#
# One file per concern, all sourced here:
#   report.sh        notes, failures and skips, and the tools a script needs
#   processes.sh     processes started and always ended by their own ids, cleanup hooks
#   waits.sh         waiting for a condition, with a time limit
#   device.sh        the simulated device, commanded through a fifo
#   home.sh          a user of the script's own: home, settings and runtime folders
#   x_server.sh      the X server (Xvfb) and the size of its screen
#   x_windows.sh     windows of a process, their place, frame and family, keys
#   x_desktop.sh     the window manager and the XEmbed system tray (trayer)
#   pictures.sh      screenshots and their pixels (ImageMagick)
#   session_bus.sh   a D-Bus session bus of the script's own and the programs on it
#   wine.sh          a wine prefix of the script's own with a persistent server
#
# Besides functions, the library sets only these, for the script to use:
#   scratch          the script's temporary folder, removed when it ends
#   SKIP             the exit code with which a test reports itself skipped (CTest's
#                    SKIP_RETURN_CODE)
#   screen_width, screen_height   the X server's screen (x_server.sh)
#   wine, wineserver              wine's loader and server (wine.sh)
# shellcheck shell=bash source-path=SCRIPTDIR/../lib source-path=SCRIPTDIR/../tests/lib

set -euo pipefail
exec </dev/null

note_prefix=${1:?usage: source common.sh NAME PACKAGE_GROUP}
package_group=${2:?usage: source common.sh NAME PACKAGE_GROUP}
readonly SKIP=77
scratch=$(mktemp -d "${TMPDIR:-/tmp}/orvane-$note_prefix.XXXXXX")

lib_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$lib_dir/report.sh"
source "$lib_dir/processes.sh"
source "$lib_dir/waits.sh"
source "$lib_dir/device.sh"
source "$lib_dir/home.sh"
source "$lib_dir/x_server.sh"
source "$lib_dir/x_windows.sh"
source "$lib_dir/x_desktop.sh"
source "$lib_dir/pictures.sh"
source "$lib_dir/session_bus.sh"
source "$lib_dir/wine.sh"

trap cleanup EXIT
trap 'exit 130' INT TERM
