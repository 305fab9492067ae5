#!/usr/bin/env bash
# Cross-builds the palette core, the conversion and their tests for 64-bit
# Windows, then runs the tests under Wine when Debian's Wine can be installed.
# The window is left out: it needs a Windows build of Qt.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/mingw
# The mingw preset looks for GoogleTest in this folder's prefix.
gtest_build=build/mingw-gtest
gtest_prefix=$PWD/$gtest_build/prefix
toolchain=$PWD/packaging/mingw-w64.cmake

bash scripts/deps.sh cmake ninja-build g++-mingw-w64-x86-64 googletest

# Debian ships GoogleTest as sources only for other targets; build and
# install it once for MinGW, where find_package(GTest) will look for it.
if [ ! -f "$gtest_prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
    echo "== GoogleTest pour MinGW"
    cmake -S /usr/src/googletest -B "$gtest_build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$gtest_prefix" \
        -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=ON
    cmake --build "$gtest_build"
    cmake --install "$gtest_build"
fi

echo "== Corvane pour Windows (cœur et tests)"
# Test discovery waits for ctest (the preset says so), so that the build
# never needs to run a Windows program.
cmake --preset mingw
cmake --build --preset mingw

# The window is not cross-built, so compile its Windows resources here, as
# CMake filled them in: a broken icon or version record shows up now rather
# than in a Windows build.
x86_64-w64-mingw32-windres -O coff -i "$build/resources/corvane.rc" -o "$build/corvane_rc.obj"

mapfile -t test_programs < <(find "$build/tests" -maxdepth 1 -name '*.exe' | sort)
if [ ${#test_programs[@]} -eq 0 ]; then
    echo "Aucun programme de test construit dans $build/tests" >&2
    exit 1
fi

# Wine is optional: the cross-build alone already proves that the code
# compiles and links for Windows.
wine_cmd=""
if ! command -v wine >/dev/null 2>&1; then
    echo "== Installation de Wine"
    if apt-get update >/dev/null 2>&1 &&
        DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends wine wine64 \
            >/dev/null 2>&1; then
        :
    fi
fi
if command -v wine >/dev/null 2>&1; then
    wine_cmd=wine
fi
if [ -z "$wine_cmd" ]; then
    echo "Wine indisponible : tests Windows sautés"
    exit 0
fi

echo "== Tests Windows sous Wine"
# A Wine prefix of our own, inside the build folder; no Mono or Gecko
# installer prompts, no debug chatter.
export WINEPREFIX=$PWD/$build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -d "$WINEPREFIX" ]; then
    "$wine_cmd" wineboot --init >/dev/null 2>&1 || true
fi
status=0
for program in "${test_programs[@]}"; do
    echo "-- $program"
    "$wine_cmd" "$program" --gtest_brief=1 || status=1
done
if command -v wineserver >/dev/null 2>&1; then wineserver -k 2>/dev/null || true; fi
exit $status
