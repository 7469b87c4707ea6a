#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the unit,
# widget and end-to-end tests.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh test

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DPIXMOTH_BUILD_BENCH=ON >/dev/null
cmake --build build -j2
scripts/check-format.sh
(cd build && ctest --output-on-failure --no-tests=error -j2)

echo "All tests passed."
