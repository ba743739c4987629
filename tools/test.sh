#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite headless.
# Every step runs even when an earlier one failed; the script fails if any did.
#
#   normal  build/ (RelWithDebInfo): every CTest suite, the fault suite among
#           them (its table is printed at the end of the step);
#   asan    build-asan/: the same suites built with AddressSanitizer and
#           UndefinedBehaviorSanitizer (tests/sanitizers/ holds the options
#           and the leak suppressions for the libraries that are not ours);
#   fuzz    build-fuzz/ (clang, libFuzzer): a short run of each fuzzer from
#           its seed corpus in tests/fuzz/corpus/.
#
# Usage: tools/test.sh [normal] [asan] [fuzz]     (no argument: all three)
# KORVANE_BUILD_DIR moves build/; KORVANE_FUZZ_SECONDS sets each fuzzer's run
# (default 60).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build="${KORVANE_BUILD_DIR:-$repo/build}"
steps=("$@")
[ ${#steps[@]} -gt 0 ] || steps=(normal asan fuzz)
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy

"$repo/tools/install-deps.sh"

step_normal() {
    cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo || return 1
    cmake --build "$build" -j2 || return 1
    local rc=0
    (cd "$build" && ctest --output-on-failure --timeout 300) || rc=$?
    cat "$build/tests/fault/fault-table.txt" 2> /dev/null || true
    return $rc
}

step_asan() {
    local dir="$repo/build-asan"
    # The benchmarks are left out: nothing runs them here.
    cmake -S "$repo" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKORVANE_SANITIZE=ON -DKORVANE_BENCH=OFF || return 1
    cmake --build "$dir" -j2 || return 1
    local san="$repo/tests/sanitizers"
    local no_leak_check="tst_station"
    local rc=0
    (
        cd "$dir"
        export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1"
        export LSAN_OPTIONS="suppressions=$san/lsan.supp:print_suppressions=0"
        export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
        r=0
        ctest --output-on-failure --timeout 600 -E "^($no_leak_check)\$" || r=1
        # The leak check's own tracer (GCC 12) crashes at the exit of these,
        # while threads of the test are still running; the other checks stay.
        ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0" \
            ctest --output-on-failure --timeout 600 -R "^($no_leak_check)\$" || r=1
        exit $r
    ) || rc=$?
    cat "$dir/tests/fault/fault-table.txt" 2> /dev/null || true
    return $rc
}

step_fuzz() {
    local dir="$repo/build-fuzz"
    local seconds="${KORVANE_FUZZ_SECONDS:-60}"
    cmake -S "$repo/tests/fuzz" -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo || return 1
    cmake --build "$dir" -j2 || return 1
    local name
    for name in config poll_reply; do
        # New inputs go to a scratch corpus; the seeds in the tree stay as they are.
        local work="$dir/corpus-$name"
        mkdir -p "$work"
        echo "== fuzz_$name: ${seconds} s"
        TMPDIR=/dev/shm "$dir/fuzz_$name" -max_total_time="$seconds" -timeout=10 \
            -rss_limit_mb=2048 -artifact_prefix="$dir/$name-" -print_final_stats=1 \
            "$work" "$repo/tests/fuzz/corpus/$name" 2>&1 | tail -n 12
        [ "${PIPESTATUS[0]}" -eq 0 ] || return 1
    done
}

failed=()
for s in "${steps[@]}"; do
    case "$s" in
    normal | asan | fuzz) ;;
    *)
        echo "uso: $0 [normal] [asan] [fuzz]" >&2
        exit 2
        ;;
    esac
    echo "==== $s"
    "step_$s" || failed+=("$s")
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "Failed: ${failed[*]}"
    exit 1
fi
