#!/usr/bin/env bash
# Makes docs/screenshot.png: Corvane on a virtual display, one of the sample
# palettes of tests/data opened through its own Open dialog, as a user would.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/deps.sh cmake ninja-build g++ libpng-dev libgif-dev libpugixml-dev nlohmann-json3-dev libminizip-dev zlib1g-dev qt6-base-dev qt6-translations-l10n xvfb xdotool imagemagick openbox
cmake --preset run >/dev/null
cmake --build --preset run --target corvane >/dev/null

# A sample of tests/data, as FORMAT/NAME; the dialog opens in its folder.
palette=${1:-div/div-pastel.PAL}
source scripts/xvfb.sh
work=$(mktemp -d)
app=""
trap '[ -z "$app" ] || kill "$app" 2>/dev/null; stop_xvfb; rm -rf "$work"' EXIT
start_xvfb "$work" 1024x700x24
openbox >/dev/null 2>&1 &
sleep 1
(cd "$root/tests/data/$(dirname "$palette")" && exec "$root/build/run/ui/corvane") >/dev/null 2>&1 &
app=$!

window=$(xdotool search --sync --name 'Corvane     V.1.0' | head -n 1)
sleep 1 # let the window manager frame and centre it
# PAL menu, then "Ouvrir Palette ...".
xdotool mousemove --window "$window" 15 9 click 1
sleep 0.5
xdotool mousemove --window "$window" 40 32 click 1
xdotool search --sync --name 'Ouvrir une palette' >/dev/null
sleep 0.5
xdotool type --delay 10 "$(basename "$palette")"
xdotool key Return
sleep 1
xdotool mousemove 0 0
# The window with its frame (found as the bounding box of what is not the
# black root), a little margin round it.
shot=$work/shot.png
import -window root "$shot"
convert "$shot" -trim +repage -bordercolor black -border 12 docs/screenshot.png
echo "docs/screenshot.png"
