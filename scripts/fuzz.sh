#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for
# the given number of seconds (default 60), starting from the seed corpora
# in tests/fuzz/corpus. Any crash, hang, leak or sanitizer report fails.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
build="$root/build-fuzz"
"$root/scripts/dependencies.sh" fuzz
cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"
status=0
for target in memory_file conversions key_filter firmware ihex srec cli_arguments catalogue; do
    work="$build/corpus-$target"
    log="$build/fuzz_$target.log"
    mkdir -p "$work"
    echo "== fuzz_$target for ${seconds}s"
    if "$build/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$build/crash-$target-" -print_final_stats=1 \
        "$work" "$root/tests/fuzz/corpus/$target" >"$log" 2>&1; then
        grep -E 'stat::number_of_executed_units|DONE' "$log" || true
    else
        echo "fuzz_$target FAILED:"
        tail -n 40 "$log"
        status=1
    fi
done
exit $status
