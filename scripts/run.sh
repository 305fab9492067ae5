#!/usr/bin/env bash
# Builds Corvane and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh cmake ninja-build g++ libpng-dev libgif-dev libpugixml-dev nlohmann-json3-dev libminizip-dev zlib1g-dev qt6-base-dev qt6-translations-l10n
cmake --preset run
cmake --build --preset run --target corvane
exec ./build/run/ui/corvane
