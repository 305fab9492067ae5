#!/usr/bin/env bash
# The page in headless Chromium: every sample and bad file against
# corvane-convert, alone and all at once (the archive checked by zipfile and
# unzip -t), no request beyond its own files, a 1 GiB file and a hundred FPG
# files in bounded memory, the interactions, keyboard and accessibility tree;
# served over HTTP, installable and working offline. Builds what it needs;
# fails on any failure.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/deps.sh cmake ninja-build g++ libpng-dev libgif-dev libpugixml-dev nlohmann-json3-dev libminizip-dev zlib1g-dev qt6-base-dev qt6-translations-l10n chromium python3-websocket unzip
bash scripts/web.sh
# The programs' own preset, which the Debian packages build too: CI builds
# the test preset once, in its fresh clone.
cmake --preset run >/dev/null
cmake --build --preset run --target corvane-convert >/dev/null
# The Debian Python, which has python3-websocket, whatever else is first on the path.
PYTHONDONTWRITEBYTECODE=1 CORVANE_SITE=build/web/site CORVANE_CONVERT=build/run/cli/corvane-convert \
    /usr/bin/python3 -m unittest discover -s tests/web -p 'test_*.py' -v
