#!/usr/bin/env bash
# Builds the fuzz targets and runs each for the given number of seconds
# (default 60), seeded with a copy of the shared palette corpus. Exits non-zero
# on any crash, leak or timeout; the failing input is left in build/fuzz/artifacts.
set -euo pipefail

duration=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

cmake --preset fuzz >/dev/null
cmake --build build/fuzz

artifacts=build/fuzz/artifacts
mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for target in fuzz_palette; do
    corpus="$work/$target"
    mkdir -p "$corpus"
    # The corpus folder is read-only and the fuzzer adds to its seeds.
    find ../shared/corpus -maxdepth 1 -type f -iname '*.pal' -exec cp {} "$corpus" \;
    echo "== $target for ${duration}s"
    "build/fuzz/fuzz/$target" "$corpus" \
        -dict=fuzz/palette.dict \
        -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
        -max_total_time="$duration" -print_final_stats=1 \
        -artifact_prefix="$artifacts/$target-"
done
