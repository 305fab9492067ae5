#!/usr/bin/env bash
# Builds Corvane with its tests and benchmarks, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh cmake ninja-build g++ libpng-dev libgif-dev libpugixml-dev nlohmann-json3-dev libminizip-dev zlib1g-dev googletest libgtest-dev libbenchmark-dev python3-pil \
    qt6-base-dev qt6-translations-l10n desktop-file-utils appstream
bash tests/npm/install.sh
cmake --preset test
cmake --build --preset test
ctest --preset test
