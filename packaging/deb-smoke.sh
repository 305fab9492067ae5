#!/usr/bin/env bash
# Builds the Debian packages and has lintian check them, installs them with
# apt, checks that the installed program starts and keeps running and that
# the desktop now knows palette files by their content and opens them with
# Corvane, then removes the packages again and checks that the desktop
# forgot them.
# Needs root (apt-get); CI runs it on a fresh Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."

# The packages hold what scripts/run.sh builds.
build=build/run

if [ "$(id -u)" -ne 0 ]; then
    echo "deb-smoke.sh installe un paquet : à lancer en root" >&2
    exit 1
fi

# dpkg-dev and file: CPack's dependency scan (dpkg-shlibdeps) needs both.
# shared-mime-info and desktop-file-utils carry the dpkg triggers that
# rebuild the MIME and desktop databases; gio (libglib2.0-bin) and xdg-mime
# (xdg-utils) ask those databases what a desktop would, and pkgconf builds
# the little program that asks Qt. bash-completion runs corvane-convert's
# completion as an interactive shell would.
bash scripts/deps.sh cmake ninja-build g++ libpng-dev libgif-dev libpugixml-dev nlohmann-json3-dev libminizip-dev qt6-base-dev qt6-translations-l10n dpkg-dev file \
    lintian shared-mime-info desktop-file-utils libglib2.0-bin xdg-utils pkgconf bash-completion

cmake --preset run
if ! cmake --build "$build" --target help | grep -q '^corvane:'; then
    echo "Pas de cible corvane (fenêtre absente) : paquet Debian non construit"
    exit 0
fi
cmake --build --preset run

rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB)
# The packages' names carry the project's version, as CMake read it,
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
# and the machine's architecture, which CPack asks dpkg for too.
arch=$(dpkg --print-architecture)
deb=$build/corvane_${version}_${arch}.deb
if [ ! -f "$deb" ]; then
    echo "Paquet Debian introuvable : $deb" >&2
    ls "$build"/*.deb >&2 || true
    exit 1
fi
debs=("$deb")
packages=(corvane)
# The converter's package is made whenever the converter is built.
if [ -f "$build/corvane-convert_${version}_${arch}.deb" ]; then
    debs+=("$build/corvane-convert_${version}_${arch}.deb")
    packages+=(corvane-convert)
fi
for d in "${debs[@]}"; do
    echo "== $d"
    dpkg-deb --field "$d" Package Version Section Depends
done
if [ ${#debs[@]} -gt 1 ]; then
    if dpkg-deb --field "${debs[1]}" Depends | grep -qi qt; then
        echo "corvane-convert ne doit pas dépendre de Qt" >&2
        exit 1
    fi
    # PNG through libpng, GIF through giflib, LibreOffice's and Krita's XML
    # through pugixml and Krita's zip through minizip, found by dpkg-shlibdeps.
    for lib in libpng16-16 libgif7 libpugixml1v5 libminizip1; do
        if ! dpkg-deb --field "${debs[1]}" Depends | grep -q "$lib"; then
            echo "corvane-convert doit dépendre de $lib" >&2
            exit 1
        fi
    done
fi

echo "== lintian"
# Every error and warning fails, explained.
lintian --info --fail-on error,warning "${debs[@]}"

dir=$(mktemp -d)
pid=""
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    for p in "${packages[@]}"; do
        if dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            DEBIAN_FRONTEND=noninteractive apt-get purge -y "$p" >/dev/null
        fi
    done
    rm -rf "$dir"
}
trap cleanup EXIT

fail() {
    echo "$*" >&2
    exit 1
}

# Palette files and look-alikes, all named .pal: the desktop must tell them
# apart by their content.
printf 'pal\x1a\r\n\x00\x00' >"$dir/div.pal"
head -c 768 /dev/zero >>"$dir/div.pal"
printf 'JASC-PAL\r\n0100\r\n16\r\n' >"$dir/jasc.pal"
for _ in $(seq 16); do printf '255 0 0\r\n' >>"$dir/jasc.pal"; done
printf 'JASC-PAL\n0100\n16\n255 0 0\n' >"$dir/jasc-lf.pal"
printf 'RIFF\x14\x00\x00\x00PAL data\x08\x00\x00\x00\x00\x03\x01\x00\xff\x00\x00\x00' >"$dir/riff.pal"
head -c 1024 /dev/urandom >"$dir/random.pal"

gio_type() {
    gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'
}

# Qt programs, Corvane's own file dialog among them, ask QMimeDatabase, which
# reads the same database by its own code.
cat >"$dir/qt-type.cpp" <<'EOF'
#include <QCoreApplication>
#include <QMimeDatabase>
#include <cstdio>
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::puts(qPrintable(QMimeDatabase().mimeTypeForFile(QString::fromLocal8Bit(argv[1])).name()));
}
EOF
g++ -std=c++20 -fPIC "$dir/qt-type.cpp" -o "$dir/qt-type" $(pkg-config --cflags --libs Qt6Core)
qt_type() {
    "$dir/qt-type" "$1"
}

# The two palettes must come out as DIV_TYPE and JASC_TYPE; the look-alikes
# never as one of Corvane's types.
check_types() {
    local when=$1 div_type=$2 jasc_type=$3 file want tool type
    for file in div jasc jasc-lf riff random; do
        case $file in
        div) want=$div_type ;;
        jasc) want=$jasc_type ;;
        *) want="" ;;
        esac
        for tool in gio qt; do
            type=$("${tool}_type" "$dir/$file.pal")
            echo "$file.pal ($tool) : $type"
            if [ -n "$want" ] && [ "$type" != "$want" ]; then
                fail "$when, $tool donne $type pour $file.pal ($want attendu)"
            fi
            case $want:$type in
            :application/x-div-palette | :application/x-jasc-palette)
                fail "$when, $tool prend $file.pal pour une palette de Corvane ($type)"
                ;;
            esac
        done
    done
}

echo "== Installation"
# apt needs a path with a slash to take a local file rather than a name.
DEBIAN_FRONTEND=noninteractive apt-get install -y "${debs[@]/#/./}"

for path in /usr/bin/corvane \
    /usr/share/applications/org.example.Corvane.desktop \
    /usr/share/metainfo/org.example.Corvane.metainfo.xml \
    /usr/share/mime/packages/org.example.Corvane.xml \
    /usr/share/icons/hicolor/48x48/apps/org.example.Corvane.png \
    /usr/share/icons/hicolor/scalable/apps/org.example.Corvane.svg \
    /usr/share/man/man1/corvane.1.gz \
    /usr/share/doc/corvane/changelog.gz \
    /usr/share/doc/corvane/copyright; do
    [ -e "$path" ] || fail "Absent après installation : $path"
done
if [ ${#packages[@]} -gt 1 ]; then
    for path in /usr/bin/corvane-convert \
        /usr/share/man/man1/corvane-convert.1.gz \
        /usr/share/doc/corvane-convert/changelog.gz \
        /usr/share/doc/corvane-convert/copyright \
        /usr/share/bash-completion/completions/corvane-convert; do
        [ -e "$path" ] || fail "Absent après installation : $path"
    done
    # The completion, loaded on demand as an interactive shell does, offers
    # the program's formats after --to, in both spellings.
    for line in "corvane-convert --to " "corvane-convert --to=g"; do
        # shellcheck disable=SC2016 # expanded by the inner shell
        offered=$(LINE=$line bash -c '
            source /usr/share/bash-completion/bash_completion
            read -ra COMP_WORDS <<<"$LINE"
            [[ $LINE == *" " ]] && COMP_WORDS+=("")
            COMP_LINE=$LINE COMP_POINT=${#LINE} COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
            __load_completion corvane-convert
            _corvane_convert corvane-convert "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
            printf "%s\n" "${COMPREPLY[@]}"')
        echo "complétion de « $line » : ${offered//$'\n'/ }"
        echo "$offered" | grep -qx gpl || fail "La complétion de « $line » n'offre pas gpl"
    done
fi

echo "== Bases MIME et des applications, mises à jour par les déclencheurs"
for type in x-div-palette x-jasc-palette; do
    [ -e "/usr/share/mime/application/$type.xml" ] ||
        fail "update-mime-database n'a pas été déclenché : application/$type inconnu"
    grep -q "^application/$type=.*org\.example\.Corvane\.desktop" /usr/share/applications/mimeinfo.cache ||
        fail "update-desktop-database n'a pas été déclenché : application/$type absent de mimeinfo.cache"
done
check_types "Après installation" application/x-div-palette application/x-jasc-palette

# With no desktop session, xdg-mime takes its generic path: mimeapps.list,
# then mimeinfo.cache in the XDG data folders.
for type in x-div-palette x-jasc-palette; do
    app=$(env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u XDG_DATA_DIRS -u XDG_DATA_HOME \
        -u XDG_CONFIG_HOME -u XDG_CONFIG_DIRS HOME="$dir" \
        xdg-mime query default "application/$type")
    echo "xdg-mime, application/$type : $app"
    [ "$app" = org.example.Corvane.desktop ] ||
        fail "xdg-mime n'ouvre pas application/$type avec Corvane (« $app »)"
done

echo "== Démarrage de /usr/bin/corvane avec une palette (hors écran)"
# As the desktop entry starts it for a palette the user opened.
QT_QPA_PLATFORM=offscreen /usr/bin/corvane "$dir/div.pal" >"$dir/log" 2>&1 &
pid=$!
sleep 3
if ! kill -0 "$pid" 2>/dev/null; then
    status=0
    wait "$pid" || status=$?
    pid=""
    echo "corvane s'est arrêté avant 3 secondes (code $status) :" >&2
    cat "$dir/log" >&2
    exit 1
fi
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=""
echo "corvane tournait encore après 3 secondes"

echo "== Désinstallation"
DEBIAN_FRONTEND=noninteractive apt-get purge -y "${packages[@]}"
for path in /usr/bin/corvane /usr/bin/corvane-convert; do
    [ ! -e "$path" ] || fail "$path reste après la désinstallation"
done
for type in x-div-palette x-jasc-palette; do
    [ ! -e "/usr/share/mime/application/$type.xml" ] ||
        fail "application/$type reste dans la base MIME après la désinstallation"
    if grep -q "^application/$type=" /usr/share/applications/mimeinfo.cache 2>/dev/null; then
        fail "application/$type reste dans mimeinfo.cache après la désinstallation"
    fi
done
check_types "Après désinstallation" application/octet-stream text/plain
echo "Paquets Debian : OK"
