#!/usr/bin/env bash
# Prints the directory of what the test command keeps between runs, outside the source tree: Qt
# for Windows and the compiler cache. $ORVANE_CACHE_DIR, by default
# $XDG_CACHE_HOME/orvane-monitor (~/.cache/orvane-monitor).
set -euo pipefail
realpath -m "${ORVANE_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/orvane-monitor}"
