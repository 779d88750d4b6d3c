# A user of the script's own in its scratch folder, so that the programs it runs never read or
# write the real user's settings (part of tests/lib/common.sh).
# shellcheck shell=bash

# HOME, and in it the configuration folder (the monitor's settings) and the state folder (its
# debug log).
use_private_home() {
    export HOME=$scratch/home
    export XDG_CONFIG_HOME=$HOME/.config XDG_STATE_HOME=$HOME/.local/state
    mkdir -p "$HOME"
}

# A runtime folder of the script's own, private to the user as the folder must be.
use_private_runtime_folder() {
    export XDG_RUNTIME_DIR=$scratch/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
}
