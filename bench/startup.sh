#!/usr/bin/env bash
# Start-up of the real window against the bare Qt window of the same shape, all headless:
#   bench/startup.sh [runs] [build dir]       (defaults: 20, build/bench)
# Runs the programs in turn, run after run, so that a change of the machine's load hits them
# alike, and prints the medians of whole-process wall time, CPU time (perf's task-clock, when
# perf is there) and peak resident memory side by side, with the ratios to the bare window.
# The bare window runs with the real window's fonts too ("bare+fonts"): the fonts are part of
# the window's layout, so that is the floor the real window is held to; the bare window without
# them shows what loading them costs. With valgrind there, callgrind also counts the
# instructions of each to its first frame, which do not move with the machine's load
# (STARTUP_CALLGRIND_RUNS runs each, 3 by default, the median taken; 0 leaves it out).
# With STARTUP_TSV=file it also writes the medians there, one "name value" a line, for run.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-20}
build=${2:-build/bench}
probe=$build/bench/startup_probe
bare=$build/bench/bare_window
for program in "$probe" "$bare"; do
    if [ ! -x "$program" ]; then
        echo "startup.sh: $program is missing; build it first (bench/run.sh does)" >&2
        exit 1
    fi
done
if [ ! -x /usr/bin/time ]; then
    echo "startup.sh: /usr/bin/time is missing (apt-get install time)" >&2
    exit 1
fi

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One run: wall milliseconds (bash's microsecond clock around the whole process) and peak RSS
# in KiB as /usr/bin/time reports it.
measure() {
    local out=$1 start end rss
    shift
    start=$EPOCHREALTIME
    /usr/bin/time -f '%M' -o "$work/time" "$@" >/dev/null 2>&1 \
        || { echo "startup.sh: $* failed" >&2; exit 1; }
    end=$EPOCHREALTIME
    read -r rss <"$work/time"
    awk -v s="$start" -v e="$end" -v m="$rss" \
        'BEGIN { printf "%.3f %d\n", (e - s) * 1000, m }' >>"$out"
}

# The process's CPU time, which a neighbour on the machine stretches less than the wall time;
# /usr/bin/time counts it in 10 ms ticks only, so perf measures it, in a pass of its own so
# that perf's own start-up stays out of the wall times.
measure_cpu() {
    local out=$1
    shift
    perf stat -x, -e task-clock -o "$work/perf" -- "$@" >/dev/null 2>&1 \
        || { echo "startup.sh: perf stat $* failed" >&2; exit 1; }
    awk -F, '$3 == "task-clock" || $3 ~ /^task-clock/ { printf "%.3f\n", $1 }' "$work/perf" >>"$out"
}

# A first run of each warms the disk cache and the font cache; it is not counted.
"$probe" >/dev/null 2>&1
"$bare" >/dev/null 2>&1
for ((k = 0; k < runs; k++)); do
    measure "$work/probe" "$probe"
    measure "$work/bare" "$bare"
    measure "$work/fonts" "$bare" --fonts
done
have_perf=
if command -v perf >/dev/null && perf stat -e task-clock -o /dev/null true 2>/dev/null; then
    have_perf=1
    for ((k = 0; k < runs; k++)); do
        measure_cpu "$work/probe.cpu" "$probe"
        measure_cpu "$work/bare.cpu" "$bare"
        measure_cpu "$work/fonts.cpu" "$bare" --fonts
    done
fi

# The instructions of one run to its first frame, as callgrind counts them.
measure_instructions() {
    local out=$1
    shift
    valgrind --tool=callgrind --callgrind-out-file=/dev/null --log-file="$work/callgrind" \
        "$@" >/dev/null 2>&1 || { echo "startup.sh: callgrind $* failed" >&2; exit 1; }
    awk '/Collected :/ { print $NF }' "$work/callgrind" >>"$out"
}
have_callgrind=
callgrind_runs=${STARTUP_CALLGRIND_RUNS:-3}
if [ "$callgrind_runs" -gt 0 ] && command -v valgrind >/dev/null; then
    have_callgrind=1
    for ((k = 0; k < callgrind_runs; k++)); do
        measure_instructions "$work/probe.ir" "$probe"
        measure_instructions "$work/bare.ir" "$bare"
        measure_instructions "$work/fonts.ir" "$bare" --fonts
    done
fi

median() { # column file
    cut -d' ' -f"$1" "$2" | sort -g | awk '{ v[NR] = $1 }
        END { printf "%.15g\n", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
scaled() { awk -v v="$1" -v d="$2" 'BEGIN { print v / d }'; }

declare -A value
for who in probe bare fonts; do
    value[${who}_wall]=$(median 1 "$work/$who")
    value[${who}_rss]=$(median 2 "$work/$who")
    if [ -n "$have_perf" ]; then
        value[${who}_cpu]=$(median 1 "$work/$who.cpu")
    fi
    if [ -n "$have_callgrind" ]; then
        value[${who}_ir]=$(median 1 "$work/$who.ir")
    fi
done

printf 'start-up, %d runs each, medians  %13s %11s %11s %9s %11s\n' "$runs" \
    startup_probe bare_window bare+fonts probe/bare probe/b+f
row() { # label key scale
    local p=${value[probe_$2]} b=${value[bare_$2]} f=${value[fonts_$2]}
    printf '  %-31s %13.1f %11.1f %11.1f %9s %11s\n' "$1" "$(scaled "$p" "$3")" \
        "$(scaled "$b" "$3")" "$(scaled "$f" "$3")" "$(ratio "$p" "$b")" "$(ratio "$p" "$f")"
}
row 'wall time (ms)' wall 1
if [ -n "$have_perf" ]; then
    row 'CPU time, task-clock (ms)' cpu 1
else
    echo '  (no CPU times: perf is missing)'
fi
if [ -n "$have_callgrind" ]; then
    row 'instructions, callgrind (M)' ir 1000000
else
    echo '  (no instruction counts: valgrind is missing)'
fi
row 'peak resident memory (MiB)' rss 1024

if [ -n "${STARTUP_TSV:-}" ]; then
    for key in "${!value[@]}"; do echo "$key ${value[$key]}"; done | sort >"$STARTUP_TSV"
fi
