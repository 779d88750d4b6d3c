#!/usr/bin/env bash
# Installs the build into a fresh staging tree, the layout the later tests run and check.
# usage: stage_install.sh BUILD_DIR STAGE
set -euo pipefail
build=${1:?usage: stage_install.sh BUILD_DIR STAGE}
stage=${2:?usage: stage_install.sh BUILD_DIR STAGE}
rm -rf "$stage"
cmake --install "$build" --prefix "$stage"
