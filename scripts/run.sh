#!/usr/bin/env bash
# Builds Corvane and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh cmake ninja-build g++ qt6-base-dev qt6-translations-l10n
cmake --preset default -DBUILD_TESTING=OFF
cmake --build --preset default --target corvane
exec ./build/default/ui/corvane
