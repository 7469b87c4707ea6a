#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the unit,
# widget and end-to-end tests, then the fuzz targets of the file readers.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh test

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DPIXMOTH_BUILD_BENCH=ON >/dev/null
cmake --build build -j2
scripts/check-format.sh
scripts/check-layers.sh
(cd build && ctest --output-on-failure --no-tests=error -j2)

# The file readers' fuzz targets replay their corpora under the address and
# undefined-behaviour sanitizers (scripts/fuzz.sh runs them for longer).
scripts/build-fuzz.sh
(cd build-fuzz && ctest --output-on-failure --no-tests=error -j2)

echo "All tests passed."
