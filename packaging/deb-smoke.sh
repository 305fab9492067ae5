#!/usr/bin/env bash
# Builds the Debian package, installs it with apt, checks that the installed
# program starts and keeps running, then removes the package again.
# Needs root (apt-get); CI runs it on a fresh Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/deb

if [ "$(id -u)" -ne 0 ]; then
    echo "deb-smoke.sh installe un paquet : à lancer en root" >&2
    exit 1
fi

# dpkg-dev and file: CPack's dependency scan (dpkg-shlibdeps) needs both.
bash scripts/deps.sh cmake ninja-build g++ qt6-base-dev qt6-translations-l10n dpkg-dev file

cmake --preset default -B "$build" -DBUILD_TESTING=OFF -DCORVANE_BENCH=OFF
if ! cmake --build "$build" --target help | grep -q '^corvane:'; then
    echo "Pas de cible corvane (fenêtre absente) : paquet Debian non construit"
    exit 0
fi
cmake --build "$build"

rm -f "$build"/corvane_*.deb
(cd "$build" && cpack -G DEB)
debs=("$build"/corvane_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "Paquet Debian introuvable dans $build" >&2
    exit 1
fi
deb=${debs[0]}
echo "== $deb"
dpkg-deb --field "$deb" Package Version Section Depends

log=$(mktemp)
pid=""
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    if dpkg-query -W -f='${Status}' corvane 2>/dev/null | grep -q 'install ok installed'; then
        DEBIAN_FRONTEND=noninteractive apt-get purge -y corvane >/dev/null
    fi
    rm -f "$log"
}
trap cleanup EXIT

echo "== Installation"
# apt needs a path with a slash to take a local file rather than a name.
DEBIAN_FRONTEND=noninteractive apt-get install -y "./$deb"

for path in /usr/bin/corvane \
    /usr/share/applications/org.example.Corvane.desktop \
    /usr/share/metainfo/org.example.Corvane.metainfo.xml \
    /usr/share/icons/hicolor/48x48/apps/org.example.Corvane.png \
    /usr/share/icons/hicolor/scalable/apps/org.example.Corvane.svg; do
    if [ ! -e "$path" ]; then
        echo "Absent après installation : $path" >&2
        exit 1
    fi
done

echo "== Démarrage de /usr/bin/corvane (hors écran)"
QT_QPA_PLATFORM=offscreen /usr/bin/corvane >"$log" 2>&1 &
pid=$!
sleep 3
if ! kill -0 "$pid" 2>/dev/null; then
    status=0
    wait "$pid" || status=$?
    pid=""
    echo "corvane s'est arrêté avant 3 secondes (code $status) :" >&2
    cat "$log" >&2
    exit 1
fi
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=""
echo "corvane tournait encore après 3 secondes"

echo "== Désinstallation"
DEBIAN_FRONTEND=noninteractive apt-get purge -y corvane
if [ -e /usr/bin/corvane ]; then
    echo "/usr/bin/corvane reste après la désinstallation" >&2
    exit 1
fi
echo "Paquet Debian : OK"
