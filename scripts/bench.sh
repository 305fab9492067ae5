#!/usr/bin/env bash
# Builds the benchmarks and prints every figure of docs/performance.md: the
# palette core against plain reads, start-up and memory against the least Qt
# window, drawing the strip, the window's memory after each hostile file,
# corvane-convert over many files against cp + sync, and the page's load time
# against an empty page.
# Starts its own Xvfb; needs no display.
#
#   bash scripts/bench.sh          full runs (a few minutes)
#   bash scripts/bench.sh quick    a short pass that only shows everything runs
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-full}
if [ "$mode" = quick ]; then
    runs=3 reps=1 min_time=0.01
else
    runs=60 reps=5 min_time=0.5
fi

bash scripts/deps.sh cmake ninja-build g++ libpng-dev libgif-dev libpugixml-dev nlohmann-json3-dev libminizip-dev zlib1g-dev pkg-config libbenchmark-dev qt6-base-dev qt6-translations-l10n \
    xvfb libxcb1-dev libxcb-damage0-dev fonts-dejavu-core
build=build/perf
cmake --preset perf >/dev/null
cmake --build --preset perf >/dev/null
bench=$build/bench

source scripts/xvfb.sh
work=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

start_xvfb "$work" 1280x800x24
unset QT_QPA_PLATFORM

echo "== Machine"
grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //'
echo "$(nproc) cores, $(free -g | awk '/^Mem/ {print $2}') GiB, Linux $(uname -r)"
echo "Qt $(dpkg-query -W -f='${Version}' qt6-base-dev), $(g++ --version | head -n1), Xvfb $(dpkg-query -W -f='${Version}' xvfb)"

gbench=(--benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true --benchmark_min_time="$min_time")

echo "== Palette core: load against open-read-close, outputs, load by declared count"
"$bench/corvane_bench" "${gbench[@]}"

echo "== Start-up and idle memory against the least Qt Widgets window (Xvfb)"
"$bench/corvane_startup" "$runs" "$bench/corvane_least_window" "$build/ui/corvane"

echo "== From the chosen file to the strip painted (Xvfb)"
"$bench/corvane_window_bench" "${gbench[@]}"

echo "== Peak memory of the window after opening each hostile file"
hostile=$work/hostile
mkdir "$hostile"
# The stress tests' own set, written by the probe.
"$bench/corvane_open_probe" --hostile-files "$hostile" >"$work/hostile.list"
mapfile -t hostile_files <"$work/hostile.list"
"$bench/corvane_open_probe" | sed 's/^/no file: /'
for file in "${hostile_files[@]}"; do
    printf '%s (%s bytes): ' "$(basename "$file")" "$(stat -c %s "$file")"
    "$bench/corvane_open_probe" "$file"
done

echo "== corvane-convert over many files"
bash scripts/bench-convert.sh "$mode"

echo "== The page: from navigation to data-ready, beside an empty page (headless Chromium, file://)"
bash scripts/deps.sh chromium python3-websocket
bash scripts/web.sh >/dev/null
/usr/lib/chromium/chromium --version
PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 tests/web/bench_ready.py build/web/site/index.html "$runs"
