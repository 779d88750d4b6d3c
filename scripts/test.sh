#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
# usage: scripts/test.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build test windows reliability desktop monitoring
cmake -S . -B build -G Ninja -DORVANE_BUILD_TESTS=ON
cmake --build build
ctest --test-dir build --output-on-failure -j "$(nproc)"
# The whole tree again, built for Windows (Qt for Windows first, once per machine) and tested
# under wine; the installer and zip.
scripts/test-windows.sh
# Reliability: the whole suite under ASan/LSan/UBSan, and the reply fuzzer for a minute.
scripts/test-sanitizers.sh; scripts/fuzz.sh 60
