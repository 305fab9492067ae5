#!/usr/bin/env bash
# Builds the fuzz targets and runs each for the given number of seconds
# (default 60), seeded with the sample palettes in tests/data/*/. Exits non-zero
# on any crash, leak or timeout; the failing input is left in build/fuzz/artifacts.
set -euo pipefail

duration=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

seeds=tests/data
if [ ! -d "$seeds" ]; then
    echo "fuzz/run.sh : $seeds : aucune palette d'exemple d'où partir" >&2
    exit 1
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

# The build lists the fuzz programs it made.
mapfile -t programs <build/fuzz/fuzz/targets.txt
if [ ${#programs[@]} -eq 0 ]; then
    echo "fuzz/run.sh : build/fuzz/fuzz/targets.txt : aucune cible" >&2
    exit 1
fi

artifacts=build/fuzz/artifacts
mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for program in "${programs[@]}"; do
    target=$(basename "$program")
    # The JASC-PAL reader gets inputs long enough, from the start, to cut a
    # caption (4 KiB) and to run a line across a refill of the line reader's
    # 16 KiB buffer; left to itself libFuzzer grows its inputs far too slowly.
    limits=(-max_len=4096)
    [ "$target" = fuzz_jasc ] && limits=(-max_len=20000 -len_control=0)
    corpus="$work/$target"
    mkdir -p "$corpus"
    # The seeds are copied: the fuzzer adds its finds to the folder it starts from.
    # Every sample palette, from each format's folder; not the expected outputs.
    find "$seeds" -mindepth 2 -type f ! -name '*.attendu' ! -name '*.pyc' ! -name '.*' -exec cp {} "$corpus" \;
    echo "== $target for ${duration}s"
    "$program" "$corpus" \
        -dict=fuzz/palette.dict \
        "${limits[@]}" -timeout=10 -rss_limit_mb=2048 \
        -max_total_time="$duration" -print_final_stats=1 \
        -artifact_prefix="$artifacts/$target-"
done
