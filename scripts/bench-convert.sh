#!/usr/bin/env bash
# corvane-convert over many palette files into a folder, against `cp` of the
# same files followed by `sync`: both end with the files on disk. Five
# batches, their inputs generated here: the window's conversion (half DIV
# palettes, half JASC-PAL palettes of 256 colours), DIV palettes to GIMP
# palettes (--to=gpl), GIMP palettes to DIV palettes, GIF images to DIV
# palettes and DIV palettes to GIF images (--to=gif). Each run starts
# after a `sync` and a short pause; the two commands alternate (A B, then B A)
# and the figures are medians. Then the peak memory and processor time of one
# conversion run for each batch and file count. Last, two large files: the
# palette of a PCX image of 1 GiB (64 MiB in the quick pass), which ends the
# file, named (sought) and on standard input (read through), against a plain
# read of the same file, all from the page cache; and the colours of a black
# RGB PNG of 25,200 x 33,300 pixels and of half its height (small in the quick
# pass): time and peak memory. Before them, a palette put into files
# (--palette): a FPG of 1 GiB, its indices kept and remapped, against `cp` +
# `sync` of the same file, with peak memory; and 1,000 true-colour PNG images
# of 256 x 256 pixels, then the same as GIF images (each quantized by Pillow),
# remapped onto 256 colours, against ImageMagick's
# `mogrify -path OUT +dither -remap PAL.png` (installed when missing).
#
#   bash scripts/bench-convert.sh          1,000 and 10,000 files, 7 runs each
#   bash scripts/bench-convert.sh quick    a short pass that only shows everything runs
#   bash scripts/bench-convert.sh large    the two large files alone, full size
#   bash scripts/bench-convert.sh apply    the palette put into files alone, full size
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-full}
if [ "$mode" = quick ]; then
    counts="100 200" runs=3 pause=0.2 pcx_rows=4096 png_size="2520 3330" fpg_mib=16 images=20 apply_runs=3
else
    counts="1000 10000" runs=7 pause=2 pcx_rows=65536 png_size="25200 33300" fpg_mib=1024 images=1000 apply_runs=5
fi

bash scripts/deps.sh cmake ninja-build g++ libpng-dev libgif-dev libpugixml-dev nlohmann-json3-dev libminizip-dev zlib1g-dev time python3
if [ "$mode" != large ]; then
    bash scripts/deps.sh imagemagick python3-pil
fi
build=build/perf-convert
cmake --preset perf-convert >/dev/null
cmake --build --preset perf-convert --target corvane-convert >/dev/null
convert=$PWD/$build/cli/corvane-convert

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# One DIV palette (levels counting 0..63 over and over), one JASC-PAL text
# and one GIMP palette as GIMP 2.10 exports it, of 256 entries each, made by
# the builtin printf alone.
div_format='pal\032\r\n\000\000'
for i in $(seq 0 767); do
    printf -v byte '\\%03o' $((i % 64))
    div_format+=$byte
done
div_format+='\020\000\000\001'
for i in $(seq 0 15); do printf -v byte '\\%03o' "$i" && div_format+=$byte; done
div_format+='\r\n'
printf "$div_format" >one-div.pal
{
    printf 'JASC-PAL\r\n0100\r\n256\r\n'
    for k in $(seq 0 255); do printf '%d %d %d\r\n' "$k" $((255 - k)) $(((k * 7) % 256)); done
} >one-jasc.pal

{
    printf 'GIMP Palette\nName: banc\nColumns: 16\n#\n'
    for k in $(seq 0 255); do printf '%3d %3d %3d\tcouleur %d\n' "$k" $(((k * 3) % 256)) $((255 - k)) "$k"; done
} >one-gpl.gpl

# The GIF image corvane-convert draws of the DIV palette: 256 squares.
"$convert" --to=gif one-div.pal one-gif.gif

# n copies of a file, by doubling, then cut apart: a handful of processes for
# any count.
copies() {
    local file=$1 n=$2 have=1
    cp "$file" many
    while [ "$have" -lt "$n" ]; do
        cat many many >more && mv more many
        have=$((have * 2))
    done
    head -c $(($(stat -c %s "$file") * n)) many
    rm many
}
# n inputs, shared equally between the given files: in/NAMEnnnnn.EXT.
make_inputs() {
    local n=$1 file
    shift
    rm -rf in && mkdir in
    for file in "$@"; do
        copies "$file" $((n / $#)) >all
        split -a 5 -d -b "$(stat -c %s "$file")" --additional-suffix=".${file##*.}" all "in/${file%.*}"
    done
    rm all
}

# Each batch: a name, the inputs' files, then corvane-convert's options.
batches=(
    "défaut (DIV + JASC-PAL)|one-div.pal one-jasc.pal|"
    "DIV vers gpl|one-div.pal|--to=gpl"
    "GIMP vers div|one-gpl.gpl|"
    "GIF vers div|one-gif.gif|"
    "DIV vers gif|one-div.pal|--to=gif"
)
batch_fields() {
    IFS='|' read -r name files options <<<"$1"
}

now() { date +%s%N; }
fresh() {
    rm -rf out && mkdir out
    sync
    sleep "$pause"
}
# Seconds taken by the command, with the output folder emptied first.
timed() {
    fresh
    local start
    start=$(now)
    "$@" >/dev/null
    echo $((($(now) - start) / 1000)) # microseconds
}
copy_and_sync() { cp in/* out/ && sync; }
# shellcheck disable=SC2086 # the options are words
convert_all() { "$convert" $options -d out in/*; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ms() { awk -v us="$1" 'BEGIN { printf "%.0f ms", us / 1000 }'; }
peak() { awk -F': ' '/Maximum resident set size/ { print $2 }' "$1"; }

# The batches: all but the large files.
if [ "$mode" != large ] && [ "$mode" != apply ]; then
    for batch in "${batches[@]}"; do
        batch_fields "$batch"
        echo "== corvane-convert -d, $name, against cp + sync (median of $runs runs each, alternating)"
        printf '%-8s %-12s %-12s %-8s %-20s %s\n' fichiers "cp + sync" convert rapport "par fichier (conv.)" "runs cp / convert (ms)"
        for n in $counts; do
            # shellcheck disable=SC2086 # the files are words
            make_inputs "$n" $files
            [ "$(ls in | wc -l)" -eq "$n" ] || { echo "expected $n inputs" >&2; exit 1; }
            : >copy.times && : >convert.times
            for run in $(seq "$runs"); do
                if [ $((run % 2)) -eq 1 ]; then
                    timed copy_and_sync >>copy.times
                    timed convert_all >>convert.times
                else
                    timed convert_all >>convert.times
                    timed copy_and_sync >>copy.times
                fi
            done
            # The last run's outputs: every file converted, and no temporary file left.
            [ "$(ls -A out | wc -l)" -eq "$n" ] || { echo "expected $n outputs" >&2; exit 1; }
            copy=$(median <copy.times)
            conv=$(median <convert.times)
            printf '%-8s %-12s %-12s %-8s %-20s %s / %s\n' "$n" "$(ms "$copy")" "$(ms "$conv")" \
                "$(awk -v a="$conv" -v b="$copy" 'BEGIN { printf "%.2fx", a / b }')" \
                "$(awk -v a="$conv" -v n="$n" 'BEGIN { printf "%.0f µs", a / n }')" \
                "$(sort -n copy.times | awk '{ printf "%s%d", (NR > 1 ? " " : ""), $1 / 1000 }')" \
                "$(sort -n convert.times | awk '{ printf "%s%d", (NR > 1 ? " " : ""), $1 / 1000 }')"
        done
    done

    # The command line itself (10,000 names) is part of the process's memory, so
    # the peak is also given for the same command line that stops at --version.
    echo "== One conversion run: peak memory (VmHWM) and processor time, /usr/bin/time -v"
    printf '%-26s %-8s %-14s %-26s %-10s %s\n' lot fichiers "pic convert" "pic même ligne, --version" "écart" \
        "temps processeur (user + sys)"
    for batch in "${batches[@]}"; do
        batch_fields "$batch"
        for n in $counts; do
            # shellcheck disable=SC2086 # the files and options are words
            make_inputs "$n" $files
            rm -rf out && mkdir out
            # shellcheck disable=SC2086
            /usr/bin/time -v "$convert" $options -d out in/* 2>convert.log
            # shellcheck disable=SC2086
            /usr/bin/time -v "$convert" --version $options -d out in/* >/dev/null 2>version.log
            cpu=$(awk -F': ' '/User time/ { u = $2 } /System time/ { s = $2 } END { printf "%.2f s", u + s }' convert.log)
            printf '%-26s %-8s %-14s %-26s %-10s %s\n' "$name" "$n" "$(peak convert.log) Kio" "$(peak version.log) Kio" \
                "$(($(peak convert.log) - $(peak version.log))) Kio" "$cpu"
        done
    done
fi

# A palette put into files. A FPG of fpg_mib graphics of 1024 x 1024 pixels
# (1 MiB each, pixels x ^ y), its levels 5k modulo 64, DIV's default ranges.
if [ "$mode" != large ]; then
    python3 - "$fpg_mib" big.fpg <<'PY'
import struct, sys
count, path = int(sys.argv[1]), sys.argv[2]
side = 1024
ranges = b"".join(bytes([16, 0, 0, 0]) + bytes((a * 16 + k) % 256 for k in range(32)) for a in range(16))
pixels = bytes((x ^ y) & 0xFF for y in range(side) for x in range(side))
with open(path, "wb") as f:
    f.write(b"fpg\x1a\r\n\x00\x00" + bytes(5 * k % 64 for k in range(768)) + ranges)
    for code in range(count):
        f.write(struct.pack("<II32s12sIII", code % 999 + 1, 64 + len(pixels), b"banc", b"BANC.MAP", side, side, 0))
        f.write(pixels)
PY
    # The palette: 256 colours, a 6 x 7 x 6 cube and four greys, as a Lospec image of one pixel each.
    /usr/bin/python3 - <<'PY'
from PIL import Image
colours = [(r * 51, g * 42, b * 51) for r in range(6) for g in range(7) for b in range(6)]
colours += [(v, v, v) for v in (32, 96, 160, 224)]
image = Image.new("RGB", (16, 16))
image.putdata(colours)
image.save("pal.png")
PY
    "$convert" --type pal.png | grep -q "256 couleurs" || { echo "pal.png: not 256 colours" >&2; exit 1; }
    cat big.fpg >/dev/null
    echo "== Une palette dans un FPG de ${fpg_mib} Mio, contre cp + sync (médiane de $apply_runs, alternées)"
    fpg_copy() { cp big.fpg out/big.fpg && sync; }
    fpg_keep() { "$convert" --palette=pal.png big.fpg out/big.fpg; }
    fpg_remap() { "$convert" --palette=pal.png --remap big.fpg out/big.fpg; }
    : >copy.times && : >keep.times && : >remap.times
    for run in $(seq "$apply_runs"); do
        order="copy keep remap"
        if [ $((run % 2)) -eq 0 ]; then
            order="remap keep copy"
        fi
        for what in $order; do
            timed "fpg_$what" >>"$what.times"
        done
    done
    copy=$(median <copy.times)
    printf '%-16s %-12s %-10s %s\n' commande "temps réel" rapport "pic de mémoire, temps processeur"
    for what in copy keep remap; do
        rm -rf out && mkdir out
        case $what in
        copy) /usr/bin/time -v sh -c 'cp big.fpg out/big.fpg && sync' 2>fpg.log ;;
        keep) /usr/bin/time -v "$convert" --palette=pal.png big.fpg out/big.fpg 2>fpg.log ;;
        remap) /usr/bin/time -v "$convert" --palette=pal.png --remap big.fpg out/big.fpg 2>fpg.log ;;
        esac
        cpu=$(awk -F': ' '/User time/ { u = $2 } /System time/ { s = $2 } END { printf "%.2f s", u + s }' fpg.log)
        printf '%-16s %-12s %-10s %s\n' "$what" "$(ms "$(median <"$what.times")")" \
            "$(awk -v a="$(median <"$what.times")" -v b="$copy" 'BEGIN { printf "%.2fx", a / b }')" \
            "$(peak fpg.log) Kio, $cpu"
    done
    [ "$(stat -c %s out/big.fpg)" -eq "$(stat -c %s big.fpg)" ] || { echo "big.fpg: wrong size" >&2; exit 1; }
    rm -rf big.fpg out

    # Pictures of many colours: smooth gradients and noise, each one shifted.
    /usr/bin/python3 - "$images" <<'PY'
import os, sys
from PIL import Image, ImageChops
count = int(sys.argv[1])
os.makedirs("in", exist_ok=True)
red = Image.linear_gradient("L").resize((256, 256))
green = Image.radial_gradient("L").resize((256, 256))
base = Image.merge("RGB", (red, green, ImageChops.add(red.rotate(90), Image.effect_noise((256, 256), 40))))
for k in range(count):
    image = ImageChops.offset(base, 37 * k, 11 * k)
    image.save(f"in/image{k:05d}.png")
    # GIFs hold at most 256 colours: each image quantized by Pillow, its own table.
    os.makedirs("gifs", exist_ok=True)
    image.quantize(256, dither=Image.Dither.NONE).save(f"gifs/image{k:05d}.gif")
PY
    for kind in png gif; do
        folder=$([ "$kind" = png ] && echo in || echo gifs)
        echo "== $images images ${kind^^} de 256 × 256, --remap sur 256 couleurs contre mogrify +dither -remap (médiane de $apply_runs)"
        ours() { "$convert" --palette=pal.png --remap -d out "$folder"/*."$kind"; }
        magick() { mogrify -path out +dither -remap pal.png "$folder"/*."$kind"; }
        : >ours.times && : >magick.times
        for run in $(seq "$apply_runs"); do
            if [ $((run % 2)) -eq 1 ]; then
                timed ours >>ours.times && timed magick >>magick.times
            else
                timed magick >>magick.times && timed ours >>ours.times
            fi
        done
        [ "$(ls out | wc -l)" -eq "$images" ] || { echo "expected $images outputs" >&2; exit 1; }
        printf '%-14s %-14s %s\n' mogrify corvane-convert rapport
        printf '%-14s %-14s %s\n' "$(ms "$(median <magick.times)")" "$(ms "$(median <ours.times)")" \
            "$(awk -v a="$(median <ours.times)" -v b="$(median <magick.times)" 'BEGIN { printf "%.2fx", a / b }')"
        rm -rf out
    done
    rm -rf in gifs
fi
[ "$mode" = apply ] && exit 0

# A PCX of 16384 by pcx_rows pixels, 8 bits, one plane: every pixel byte 0, a
# byte of its own, then 0x0C and the palette.
echo "== La palette d'une image PCX de $((16384 * pcx_rows / 1048576)) Mio, contre une lecture simple (médiane de $runs)"
{
    printf '\012\005\001\010\000\000\000\000\377\077'
    printf "\\$(printf %03o $(((pcx_rows - 1) % 256)))\\$(printf %03o $(((pcx_rows - 1) / 256)))"
    head -c 53 /dev/zero
    printf '\001\000\100\001\000'
    head -c 58 /dev/zero
    head -c $((16384 * pcx_rows)) /dev/zero
    printf '\014'
    head -c 768 /dev/zero | tr '\000' '\077'
} >big.pcx
[ "$(stat -c %s big.pcx)" -eq $((128 + 16384 * pcx_rows + 769)) ] || { echo "big.pcx: wrong size" >&2; exit 1; }
"$convert" --type big.pcx | grep -q "PCX, 256 couleurs" || { echo "big.pcx: not read as a PCX" >&2; exit 1; }
# The file in the page cache before any measure, and nothing dropped from it.
cat big.pcx >/dev/null
: >read.times && : >palette.times && : >stdin.times
for run in $(seq "$runs"); do
    start=$(now) && cat big.pcx >/dev/null && echo $((($(now) - start) / 1000)) >>read.times
    start=$(now) && "$convert" --to=hex big.pcx - >/dev/null && echo $((($(now) - start) / 1000)) >>palette.times
    start=$(now) && "$convert" --to=hex - - <big.pcx >/dev/null && echo $((($(now) - start) / 1000)) >>stdin.times
done
plain=$(median <read.times)
pcx=$(median <palette.times)
piped=$(median <stdin.times)
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3fx", a / b }'; }
printf '%-16s %-16s %-16s %-16s %s\n' "lecture (cat)" "palette (nommé)" rapport "palette (stdin)" rapport
printf '%-16s %-16s %-16s %-16s %s\n' "$(ms "$plain")" "$(awk -v us="$pcx" 'BEGIN { printf "%.1f ms", us / 1000 }')" \
    "$(ratio "$pcx" "$plain")" "$(ms "$piped")" "$(ratio "$piped" "$plain")"
rm big.pcx

# A black RGB PNG, 8 bits a level, no palette: its image data is only zeros
# (a filter byte of 0 and black pixels), deflated a mebibyte at a time once
# and repeated, so that making 2.5 GB of pixels takes a moment.
black_png() {
    python3 - "$1" "$2" "$3" <<'PY'
import struct, sys, zlib
width, height, path = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
size, mib = height * (1 + 3 * width), 1 << 20
def deflated(n):
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    return c.compress(bytes(n)) + c.flush(zlib.Z_SYNC_FLUSH)
data = b"\x78\xda" + deflated(mib) * (size // mib) + deflated(size % mib) + b"\x03\x00"
data += struct.pack(">I", (size % 65521) << 16 | 1)  # Adler-32 of zeros
def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
with open(path, "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", data) + chunk(b"IEND", b""))
PY
}
read -r png_width png_height <<<"$png_size"
echo "== Les couleurs d'une image PNG RVB noire, sans palette : temps et pic de mémoire, /usr/bin/time -v (médiane de $runs)"
printf '%-20s %-12s %-12s %-10s %s\n' pixels "pixels (M)" "temps réel" "pic" "temps processeur (user + sys)"
for height in $((png_height / 2)) "$png_height"; do
    black_png "$png_width" "$height" big.png
    "$convert" --type big.png | grep -q "PNG sans palette, 1 couleur" || { echo "big.png: not read" >&2; exit 1; }
    : >png.times
    for run in $(seq "$runs"); do
        /usr/bin/time -v "$convert" --to=hex big.png - 2>png.log >/dev/null
        awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); printf "%d\n", (t[n - 1] * 60 + t[n]) * 1000000 }' \
            png.log >>png.times
    done
    cpu=$(awk -F': ' '/User time/ { u = $2 } /System time/ { s = $2 } END { printf "%.2f s", u + s }' png.log)
    printf '%-20s %-12s %-12s %-10s %s\n' "$png_width × $height" "$((png_width * height / 1000000))" \
        "$(ms "$(median <png.times)")" "$(peak png.log) Kio" "$cpu"
    rm big.png
done
