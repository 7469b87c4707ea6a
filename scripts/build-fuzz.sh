#!/usr/bin/env bash
# Configures and builds the fuzz targets in build-fuzz/ with clang 14 and the
# sanitizers. A folder configured for another compiler or without the fuzz
# option is made anew: CMake would otherwise reset the cache on the compiler
# change and silently drop the options given with it.
set -euo pipefail
cd "$(dirname "$0")/.."
cache=build-fuzz/CMakeCache.txt
if [[ -f $cache ]] && ! { grep -q '^PIXMOTH_FUZZ:BOOL=ON$' "$cache" &&
                          grep -q '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang++-14$' "$cache"; }; then
    rm -rf build-fuzz
fi
cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
      -DPIXMOTH_FUZZ=ON -DPIXMOTH_BUILD_GUI=OFF >/dev/null
grep -q '^PIXMOTH_FUZZ:BOOL=ON$' "$cache" || { echo "build-fuzz is not a fuzz build" >&2; exit 1; }
cmake --build build-fuzz -j2
