#!/usr/bin/env bash
# What a screen reader hears of the kind label, through the real
# accessibility bus: Corvane on a virtual display with its own session bus,
# read by names.py. Fails when the label's name or its change goes wrong.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/deps.sh cmake ninja-build g++ qt6-base-dev qt6-translations-l10n \
    xvfb at-spi2-core python3-pyatspi dbus
cmake --preset run >/dev/null
cmake --build --preset run --target corvane >/dev/null

work=$(mktemp -d)
# Xvfb picks a free display itself and writes its number once it is ready.
Xvfb -displayfd 3 -screen 0 1024x700x24 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
display=:$(cat "$work/display")
# The Debian Python, which has pyatspi, whatever else is first on the path.
DISPLAY=$display QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    dbus-run-session -- /usr/bin/python3 tests/a11y/names.py "$PWD/build/run/ui/corvane" "$work"
