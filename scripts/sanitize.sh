#!/usr/bin/env bash
# The whole test suite built with the address and undefined-behaviour
# sanitizers (build-asan), then the concurrency tests built with the thread
# sanitizer (build-tsan). Any finding stops the run and fails the stage.
set -euo pipefail
cd "$(dirname "$0")/.."

asan_build=${ASAN_BUILD_DIR:-build-asan}
tsan_build=${TSAN_BUILD_DIR:-build-tsan}
jobs=$(nproc)

export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:check_initialization_order=1:strict_init_order=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

stage_start=$SECONDS
stage_done() {
	echo "== $1: $((SECONDS - stage_start))s"
	stage_start=$SECONDS
}

cmake -S . -B "$asan_build" -G Ninja -DSANITIZE=address -DBUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$asan_build"
stage_done "address sanitizer build"
ctest --test-dir "$asan_build" --output-on-failure -j "$jobs"
stage_done "address sanitizer tests"

cmake -S . -B "$tsan_build" -G Ninja -DSANITIZE=thread -DBUILD_BENCHMARKS=OFF >/dev/null
# Only the programs that hold the threaded tests, and the add-ons they load.
cmake --build "$tsan_build" --target concurrency_tests psd_core_tests tarnwick_record_tests \
	interface_tests settings_ui_tests
stage_done "thread sanitizer build"
# Everything that runs threads: translations side by side, the record changed
# under running translations, and the loopers and windows of the interface kit.
threaded='Concurren|PSDThreads|TarnwickRecord|Looper|Application|Window|ShownView|ConfigView|Alert'
ctest --test-dir "$tsan_build" -R "$threaded" --output-on-failure --no-tests=error -j "$jobs"
stage_done "thread sanitizer tests"
