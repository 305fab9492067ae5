#!/usr/bin/env bash
# What a screen reader hears of the kind label, through the real
# accessibility bus: Corvane on a virtual display with its own session bus,
# read by names.py. Fails when the label's name or its change goes wrong.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/deps.sh cmake ninja-build g++ libpng-dev libgif-dev libpugixml-dev nlohmann-json3-dev libminizip-dev qt6-base-dev qt6-translations-l10n \
    xvfb at-spi2-core python3-pyatspi dbus
cmake --preset run >/dev/null
cmake --build --preset run --target corvane >/dev/null

source scripts/xvfb.sh
work=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$work"' EXIT
start_xvfb "$work" 1024x700x24
# The Debian Python, which has pyatspi, whatever else is first on the path.
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    dbus-run-session -- /usr/bin/python3 tests/a11y/names.py "$PWD/build/run/ui/corvane" "$work"
