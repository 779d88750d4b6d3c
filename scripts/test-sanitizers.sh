#!/usr/bin/env bash
# Builds the whole project, GUI included, with AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer in a build directory of its own and runs every test there. Any
# finding fails the run: UBSan does not recover, and LSan reports at exit fail the test.
# usage: scripts/test-sanitizers.sh [build|test] [BUILD_DIR]   (default: both steps, build-asan)
set -euo pipefail
cd "$(dirname "$0")/.."
steps=(build test)
case ${1-} in build | test) steps=("$1") && shift ;; esac
build=${1:-build-asan}

build_sanitized() {
    scripts/install-deps.sh build test reliability
    # -O1 keeps the tests fast enough for CI, and line tables alone (-g1) keep the files and lines
    # of a report at less cost than full debug information. The instrumentation makes g++ 12 warn
    # of uninitialised values inside <regex> that are none; the normal build keeps that warning.
    sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
    cmake -S . -B "$build" -G Ninja -DORVANE_BUILD_TESTS=ON \
        -DCMAKE_BUILD_TYPE=Sanitize \
        -DCMAKE_CXX_FLAGS_SANITIZE="-O1 -g1 $sanitize -Wno-maybe-uninitialized" \
        -DCMAKE_EXE_LINKER_FLAGS_SANITIZE="$sanitize" \
        -DCMAKE_SHARED_LINKER_FLAGS_SANITIZE="$sanitize" >/dev/null
    cmake --build "$build"
}

test_sanitized() {
    # verify_asan_link_order=0: a program test preloads its modal-box driver (LD_PRELOAD), which
    # puts the driver before the ASan runtime in the library list; the runtime still comes in as the
    # driver's own dependency. strict_string_checks stays off: libxkbcommon-x11 hands strndup
    # unterminated strings, which strndup allows, and the strict check reports that under X.
    export ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:detect_stack_use_after_return=1:verify_asan_link_order=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    # Known leaks outside the project, each one explained in the file.
    export LSAN_OPTIONS=suppressions=$PWD/tests/reliability/lsan.supp:print_suppressions=0
    # The package tests are left out: a package's contents do not change under the sanitizers, and a
    # sanitizer build is not to be installed on the system.
    ctest --test-dir "$build" --output-on-failure -j "$(nproc)" -E '^e2e[.]deb_'
}

for step in "${steps[@]}"; do
    "${step}_sanitized"
done
