#!/usr/bin/env bash
# Builds the benchmarks in Release (in build/bench), runs them and the start-up comparison,
# and prints one table of medians against the targets:
#   bench/run.sh [start-up runs]              (default 20)
# Needs cmake, ninja, g++, Qt 6, libbenchmark-dev, python3 and /usr/bin/time; perf is used for
# CPU times when present. Figures, not tests: it exits 0 whether targets are met or not.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-20}
build=build/bench
repetitions=${BENCH_REPETITIONS:-5}

for tool in cmake ninja python3 /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "run.sh: $tool is missing" >&2; exit 1; }
done

nice cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRECTA_BUILD_BENCH=ON \
    -DRECTA_BUILD_TESTS=OFF >/dev/null
nice cmake --build "$build" -j 2 --target bench_recta startup_probe bare_window

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
# Other work on the two cores stretches every figure, the pause included.
if awk -v l="${load_before%% *}" 'BEGIN { exit !(l > 0.5) }'; then
    echo "run.sh: load average $load_before: figures compare only on a quiet machine" >&2
fi
echo "== bench_recta ($repetitions repetitions)"
"$build/bench/bench_recta" --benchmark_repetitions="$repetitions" \
    --benchmark_report_aggregates_only=true \
    --benchmark_out="$build/bench_recta.json" --benchmark_out_format=json
echo
echo "== start-up ($runs runs)"
STARTUP_TSV="$build/startup.tsv" bench/startup.sh "$runs" "$build"
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
echo

python3 - "$build/bench_recta.json" "$build/startup.tsv" "$load_before" "$load_after" <<'EOF'
import json
import subprocess
import sys

report, startup_file, load_before, load_after = sys.argv[1:5]
runs = json.load(open(report))["benchmarks"]
startup = dict(line.split() for line in open(startup_file))
startup = {key: float(value) for key, value in startup.items()}


def median(name):
    """Median wall and thread-CPU time in ms of a benchmark; the paired ones carry theirs in
    counters, the median over the repetitions of each repetition's median difference."""
    for run in runs:
        if run.get("run_name") == name and run.get("aggregate_name") == "median":
            if "wall_p50_ms" in run:
                return run["wall_p50_ms"], run["cpu_p50_ms"]
            scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0}[run["time_unit"]]
            return run["real_time"] * scale, run["cpu_time"] * scale
    raise SystemExit(f"run.sh: no median for {name} in {report}")


def paired(name):
    return f"{name}/iterations:30/manual_time"


def time_text(ms):
    # A difference of two medians can be negative on a busy machine.
    if abs(ms) < 0.001:
        return f"{ms * 1e6:.3g} ns"
    return f"{ms * 1000:.1f} µs" if abs(ms) < 1 else f"{ms:.2f} ms"


rows = []


def timed(label, name, target=None):
    wall, cpu = median(name)
    rows.append((label, time_text(wall), time_text(cpu), "—",
                 f"≤ {time_text(target)}" if target else "—",
                 ("pass" if wall <= target else "MISS") if target else ""))
    return wall, cpu


timed("pintar + endPainting", "BM_pintar", 0.5)
timed("full repaint: client area and fields, flushed", "BM_repaintClientArea", 2.0)
timed("grab of the whole window (menu bar too)", "BM_grabWindow")
timed("20 lines with marks and texts drawn again at zoom 2", "BM_replayAtZoom2", 5.0)
timed("resize from zoom 1 to 2, window repainted", "BM_resizeToZoom2", 16.0)
pause_wall, pause_cpu = timed("esperar, the pause alone", "BM_esperar")
with_wall, with_cpu = timed("dibuixar with its pause", "BM_dibuixarWithPause")
rows.append(("dibuixar with pause − esperar (the two medians)", time_text(with_wall - pause_wall),
             time_text(with_cpu - pause_cpu), "—", "—", ""))
timed("dibuixar without pause (paired)", paired("BM_dibuixarWithoutPause"))
timed("Enter in txtAy(1) to handler done, no pause (paired)", paired("BM_enterToLine"), 3.0)
timed("Enter in txtAy(1) to line on screen, no pause (paired)", paired("BM_enterToScreen"), 3.0)
timed("Enter in txtequacio to line on screen, no pause (paired)", paired("BM_equationToScreen"))
timed("click on the plane at B to line on screen, no pause (paired)", paired("BM_clickToScreen"), 3.0)
for name in ("parseLeadingNumber", "numberToText", "formatNumber", "roundNumber", "slopedLine"):
    timed(f"{name}, one call", f"BM_{name}")
timed("readEquation, one call", "BM_readEquation", 0.002)


def ratio_text(key, floor, unit, scale=1.0):
    if f"probe_{key}" not in startup:
        return "—"
    probe, bare = startup[f"probe_{key}"] / scale, startup[f"{floor}_{key}"] / scale
    return f"{probe:.1f} / {bare:.1f} {unit} = {probe / bare:.3f}"


def ratio(label, key, floor, target, unit, scale=1.0, instructions_target=None):
    """A start-up row against a floor; the time row carries the instruction ratio beside its
    medians, which the machine's load does not move, and must meet both targets."""
    value = startup[f"probe_{key}"] / startup[f"{floor}_{key}"]
    # Start-up is judged by its CPU time too, which a busy neighbour stretches less.
    if key == "wall" and "probe_cpu" in startup:
        value = max(value, startup["probe_cpu"] / startup[f"{floor}_cpu"])
    met = value <= target if target else None
    cpu = ratio_text("cpu", floor, unit) if key == "wall" else "—"
    instructions = ratio_text("ir", floor, "M", 1e6) if key == "wall" else "—"
    target_text = f"≤ {target:.2f}" if target else "—"
    if instructions_target and "probe_ir" in startup:
        target_text += f", instructions ≤ {instructions_target:.2f}"
        met = met and startup["probe_ir"] / startup[f"{floor}_ir"] <= instructions_target
    rows.append((label, ratio_text(key, floor, unit, scale), cpu, instructions, target_text,
                 ("pass" if met else "MISS") if target else ""))


# The fonts are part of the window's layout: the bare window with the same fonts is the floor
# that counts; the one without them shows what the fonts cost any window.
ratio("start-up time, probe / bare window with the fonts", "wall", "fonts", 1.10, "ms",
      instructions_target=1.05)
ratio("peak memory, probe / bare window with the fonts", "rss", "fonts", 1.10, "MiB", 1024.0)
ratio("start-up time, probe / bare window without fonts", "wall", "bare", None, "ms")
ratio("peak memory, probe / bare window without fonts", "rss", "bare", None, "MiB", 1024.0)

model = next((line.split(":", 1)[1].strip() for line in
              subprocess.run(["lscpu"], capture_output=True, text=True).stdout.splitlines()
              if line.startswith("Model name")), "unknown")
cores = subprocess.run(["nproc"], capture_output=True, text=True).stdout.strip()
print(f"Machine: {model}, {cores} cores; headless (QT_QPA_PLATFORM=offscreen); "
      f"load average {load_before} before, {load_after} after")
# The pause is a fixed amount of counting: its time tells roughly how fast the machine ran.
print(f"Speed gauge: esperar, 9,000,001 counted rounds, took {time_text(pause_wall)}; "
      "this machine's speed moves between runs, so compare runs with care")
header = ("benchmark", "median (wall)", "median (CPU)", "instructions", "target", "")
widths = [max(len(row[k]) for row in rows + [header]) for k in range(6)]
print(" | ".join(text.ljust(width) for text, width in zip(header, widths)).rstrip())
print("-|-".join("-" * width for width in widths))
for row in rows:
    print(" | ".join(text.ljust(width) for text, width in zip(row, widths)).rstrip())
EOF
