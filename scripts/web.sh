#!/usr/bin/env bash
# Builds the page into build/web/site/: Debian's emscripten, and libpng, zlib
# (with minizip), giflib, pugixml and nlohmann-json from the repository's own
# sources in third_party/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh cmake ninja-build emscripten

# emscripten finds its JavaScript modules where Debian's node keeps them,
# whichever node comes first on the PATH.
export NODE_PATH=/usr/share/nodejs
cmake --preset web
cmake --build --preset web
echo "La page : $PWD/build/web/site/index.html ($(cat build/web/site/* | wc -c) octets)"
