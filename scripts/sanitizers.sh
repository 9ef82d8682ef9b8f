#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-sanitizers/ and runs it; any report fails the run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-sanitizers"
"$root/scripts/dependencies.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DPROGRAMADOR_SANITIZE=ON >/dev/null
cmake --build "$build" -j "$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
cd "$build"
ctest --output-on-failure
