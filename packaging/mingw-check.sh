#!/usr/bin/env bash
# Cross-builds the palette core, the conversion and their tests for 64-bit
# Windows, then runs the tests under Debian's Wine.
# The window is left out: it needs a Windows build of Qt.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/mingw
# The mingw preset looks for GoogleTest in this folder's prefix.
gtest_build=build/mingw-gtest
gtest_prefix=$PWD/$gtest_build/prefix
toolchain=$PWD/packaging/mingw-w64.cmake

# wine64 runs the 64-bit test programs; wine gives the `wine` command.
bash scripts/deps.sh cmake ninja-build g++-mingw-w64-x86-64 googletest wine wine64

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

echo "== Tests Windows sous Wine"
# A Wine prefix of our own, inside the build folder; no Mono or Gecko
# installer prompts, no debug chatter.
export WINEPREFIX=$PWD/$build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Without wine32, wineboot says it cannot open syswow64's rundll32.exe
# (c0000135); the 64-bit prefix it makes works all the same.
if [ ! -d "$WINEPREFIX" ]; then
    wine wineboot --init
fi
status=0
for program in "${test_programs[@]}"; do
    echo "-- $program"
    wine "$program" --gtest_brief=1 || status=1
done
if command -v wineserver >/dev/null 2>&1; then wineserver -k 2>/dev/null || true; fi
exit $status
