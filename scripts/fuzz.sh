#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour
# sanitizers) and runs each for FUZZ_SECONDS (default 60), as many at once as
# there are cores, from its seed corpus and regression files. Fails on any
# finding; prints each target's executions per second and total executions.
#   FUZZ_SECONDS=300 scripts/fuzz.sh            all targets, five minutes each
#   FUZZ_TARGETS="packbits" scripts/fuzz.sh     one target
set -euo pipefail
cd "$(dirname "$0")/.."

build=${FUZZ_BUILD_DIR:-build-fuzzers}
seconds=${FUZZ_SECONDS:-60}
targets=${FUZZ_TARGETS:-"tarnwick layers wendral settings packbits colour"}

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DBUILD_FUZZERS=ON -DSANITIZE=address \
	-DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target fuzzers

export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

# One target a core, side by side.
fuzz_target() {
	local target=$1 work=$build/fuzz/run/$1
	local corpus=$work/corpus
	mkdir -p "$corpus" "$work/artifacts"
	rm -f "$work/status"
	# The corpus grows from run to run in the build tree; seeds and
	# regression files are copied in afresh each time.
	cp "$build/fuzz/seeds/$target"/* "$corpus"/
	if [ -d "tests/hostile/regressions/$target" ]; then
		cp "tests/hostile/regressions/$target"/* "$corpus"/
	fi
	local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 -print_final_stats=1
		-artifact_prefix="$work/artifacts/")
	# The settings reader reports bad lines on stderr, one per execution.
	if [ "$target" = settings ]; then options+=(-close_fd_mask=2); fi
	local status=0
	"$build/bin/${target}_fuzzer" "${options[@]}" "$corpus" >"$work/log" 2>&1 || status=$?
	echo "$status" >"$work/status"
}

jobs=$(nproc)
running=0
for target in $targets; do
	echo "fuzzing $target for ${seconds}s"
	fuzz_target "$target" &
	running=$((running + 1))
	if [ "$running" -ge "$jobs" ]; then
		wait -n || true
		running=$((running - 1))
	fi
done
wait || true

failed=()
summary=()
for target in $targets; do
	work=$build/fuzz/run/$target
	log=$work/log
	if [ "$(cat "$work/status" 2>/dev/null)" != 0 ]; then
		failed+=("$target")
		tail -n 60 "$log"
		echo "FAILED: $target; the input is in $work/artifacts/ (add it to tests/hostile/regressions/$target/)"
	fi
	execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
	rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
	summary+=("$(printf '%-9s %10s execs/s %12s executions in %ss' "$target" "${rate:-?}" \
		"${execs:-?}" "$seconds")")
done

printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
	echo "fuzzing found problems in: ${failed[*]}" >&2
	exit 1
fi
