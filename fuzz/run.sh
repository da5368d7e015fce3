#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each of them for a while, non-zero on any crash:
#   fuzz/run.sh [seconds-per-target]        (60 by default)
# The seed corpus in fuzz/corpus/<target>/ and the inputs of fixed crashes in
# fuzz/regressions/<target>/ are read only; what the fuzzer finds goes to build/fuzz/corpus/,
# the input of a crash to build/fuzz/artifacts/, the log of each run to build/fuzz/logs/.
# RECTA_FUZZ_NO_BUILD=1 runs what is built.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build_dir=build/fuzz
targets=(fuzz_numtext fuzz_equation fuzz_window)
packages=(cmake ninja-build clang libclang-rt-dev qt6-base-dev fonts-liberation)

source tools/setup.sh

if [ -z "${RECTA_FUZZ_NO_BUILD:-}" ]; then
    install_missing "${packages[@]}"
    echo "Building the fuzz targets with clang ($build_dir)"
    quietly cmake -S . -B "$build_dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=Release -DRECTA_BUILD_FUZZ=ON -DRECTA_BUILD_TESTS=OFF
    quietly nice cmake --build "$build_dir" --target "${targets[@]}" -- -j2
fi

# Undefined behaviour aborts with its stack, so that it counts as a crash.
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen

passed=0
failed=0
mkdir -p "$build_dir/logs"
for target in "${targets[@]}"; do
    scratch="$build_dir/corpus/$target"
    artifacts="$build_dir/artifacts/$target"
    log="$build_dir/logs/$target.log"
    mkdir -p "$scratch" "$artifacts"
    inputs=("$scratch" "fuzz/corpus/$target")
    [ -d "fuzz/regressions/$target" ] && inputs+=("fuzz/regressions/$target")
    extra=()
    # A script of 40 actions takes about 400 bytes; let the scripts grow long soon.
    [ "$target" = fuzz_window ] && extra=(-max_len=512 -len_control=10)

    status=0
    "$build_dir/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
        -print_final_stats=1 -artifact_prefix="$artifacts/" "${extra[@]}" "${inputs[@]}" \
        >"$log" 2>&1 || status=$?
    summary=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true)
    if [ "$status" -eq 0 ]; then
        passed=$((passed + 1))
        echo "$target: ${summary:-done}"
    else
        failed=$((failed + 1))
        echo "$target: FAILED (exit $status), log in $log, input in $artifacts/"
        grep -v '^QStandardPaths' "$log" | grep -m 1 -A 25 -E '^fuzz_[a-z]+: |ERROR|runtime error|ASSERT' || true
    fi
done

echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
