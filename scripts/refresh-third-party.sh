#!/usr/bin/env bash
# Refreshes third_party/ from Debian's source packages of libpng, zlib,
# giflib, pugixml and nlohmann-json, Debian's patches applied: run by hand when updating,
# never by a build.
# The source lines are this machine's own apt lines turned into deb-src, in a
# scratch apt configuration, so that the system's apt is left as it was.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh dpkg-dev

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/sources.list.d" "$scratch/lists/partial" "$scratch/cache/archives/partial" "$scratch/src"
: >"$scratch/sources.list"
# One-line lists: each deb line again as deb-src.
for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    if [ -f "$list" ]; then sed -n 's/^\s*deb\s/deb-src /p' "$list" >>"$scratch/sources.list"; fi
done
# deb822 files: each stanza of type deb again as deb-src.
for list in /etc/apt/sources.list.d/*.sources; do
    if [ -f "$list" ]; then sed 's/^Types:.*\bdeb\b.*/Types: deb-src/' "$list" >"$scratch/sources.list.d/${list##*/}"; fi
done
apt_scratch=(-o "Dir::Etc::sourcelist=$scratch/sources.list" -o "Dir::Etc::sourceparts=$scratch/sources.list.d"
    -o "Dir::State::Lists=$scratch/lists" -o "Dir::Cache=$scratch/cache" -o Dir::Cache::pkgcache=
    -o Dir::Cache::srcpkgcache= -o APT::Sandbox::User=root)
apt-get "${apt_scratch[@]}" update

# The newest version that the mirrors really serve: a security update may be
# listed before every mirror carries its files.
fetch() { # PACKAGE
    local versions newest version
    versions=$(apt-cache "${apt_scratch[@]}" showsrc --only-source "$1" | sed -n 's/^Version: //p' | sort -u)
    while [ -n "$versions" ]; do
        newest=
        for version in $versions; do
            if [ -z "$newest" ] || dpkg --compare-versions "$version" gt "$newest"; then
                newest=$version
            fi
        done
        (cd "$scratch/src" && apt-get "${apt_scratch[@]}" source --only-source "$1=$newest") && return
        echo "$1 $newest : sources introuvables, version précédente essayée" >&2
        versions=$(grep -vxF "$newest" <<<"$versions" || true)
    done
    echo "$1 : aucune version des sources n'a pu être obtenue" >&2
    exit 1
}
for package in libpng1.6 zlib giflib pugixml nlohmann-json3; do
    fetch "$package"
done

# Copies FILES... from the unpacked source package PACKAGE into third_party/DEST,
# after emptying it, with Debian's copyright file and the version it came from.
take() { # PACKAGE DEST FILES...
    local package=$1 dest=third_party/$2 tree version
    shift 2
    tree=$(echo "$scratch/src/$package"-*/)
    version=$(dpkg-parsechangelog -l "$tree/debian/changelog" -S Version)
    rm -rf "$dest"
    mkdir -p "$dest/debian"
    (cd "$tree" && cp --parents "$@" "$OLDPWD/$dest/")
    cp "$tree/debian/copyright" "$dest/debian/"
    echo "$package $version" >"$dest/VERSION"
}
take libpng1.6 libpng LICENSE png.h pngconf.h pngdebug.h pnginfo.h pngpriv.h pngstruct.h \
    scripts/pnglibconf.h.prebuilt png.c pngerror.c pngget.c pngmem.c pngread.c pngrio.c pngrtran.c pngrutil.c \
    pngset.c pngtrans.c pngwio.c pngwrite.c pngwtran.c pngwutil.c
take zlib zlib LICENSE zlib.h zconf.h zutil.h gzguts.h deflate.h inflate.h inftrees.h inffast.h inffixed.h trees.h \
    crc32.h adler32.c crc32.c deflate.c inffast.c inflate.c inftrees.c trees.c zutil.c \
    contrib/minizip/zip.c contrib/minizip/zip.h contrib/minizip/unzip.c contrib/minizip/unzip.h \
    contrib/minizip/ioapi.c contrib/minizip/ioapi.h
take giflib giflib COPYING gif_lib.h gif_lib_private.h gif_hash.h dgif_lib.c egif_lib.c gifalloc.c gif_err.c \
    gif_hash.c openbsd-reallocarray.c
take pugixml pugixml LICENSE.md src/pugixml.hpp src/pugiconfig.hpp src/pugixml.cpp
take nlohmann-json3 nlohmann-json LICENSE.MIT single_include/nlohmann/json.hpp
git status --short third_party
