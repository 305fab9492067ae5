#!/usr/bin/env bash
# Builds the page into build/web/site/: Debian's emscripten, and Debian's own
# libpng and zlib sources, fetched once into build/web-sources and checked.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh cmake ninja-build emscripten curl ca-certificates bzip2 xz-utils patch

sources=build/web-sources
pool=http://deb.debian.org/debian/pool/main
mkdir -p "$sources"
fetch() { # PATH-IN-POOL SHA256
    local file="$sources/${1##*/}"
    if ! echo "$2  $file" | sha256sum --check --status 2>/dev/null; then
        curl --fail --silent --show-error --location --output "$file.part" "$pool/$1"
        echo "$2  $file.part" | sha256sum --check --quiet
        mv "$file.part" "$file"
    fi
}
fetch libp/libpng1.6/libpng1.6_1.6.39.orig.tar.gz a00e9d2f2f664186e4202db9299397f851aea71b36a35e74910b8820e380d441
fetch libp/libpng1.6/libpng1.6_1.6.39-2+deb12u5.debian.tar.xz \
    ab14906eda9fddf14cbb1e589b9ba7439c22e233dc3c5e3cf9356c9625565a82
fetch z/zlib/zlib_1.2.13.dfsg.orig.tar.bz2 71feb7947e3c00ef125f83b79a4e529bde31171e5babe48b391f06758d1ab0a1

# Unpacked afresh whenever the stamp is missing, Debian's patches applied in order.
if [ ! -f "$sources/unpacked" ]; then
    rm -rf "$sources/libpng-1.6.39" "$sources/zlib-1.2.13.dfsg"
    tar -xf "$sources/libpng1.6_1.6.39.orig.tar.gz" -C "$sources"
    tar -xf "$sources/libpng1.6_1.6.39-2+deb12u5.debian.tar.xz" -C "$sources/libpng-1.6.39"
    (cd "$sources/libpng-1.6.39" && grep -v '^\s*#' debian/patches/series | while read -r p; do
        [ -n "$p" ] && patch --quiet -p1 < "debian/patches/$p"
    done)
    tar -xf "$sources/zlib_1.2.13.dfsg.orig.tar.bz2" -C "$sources"
    touch "$sources/unpacked"
fi

# emscripten finds its JavaScript modules where Debian's node keeps them,
# whichever node comes first on the PATH.
export NODE_PATH=/usr/share/nodejs
cmake --preset web
cmake --build --preset web
echo "La page : $PWD/build/web/site/index.html ($(cat build/web/site/* | wc -c) octets)"
