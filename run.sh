#!/usr/bin/env bash
# Installs what is missing, builds, and starts Pixmoth (arguments: pictures to open).
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target pixmoth
exec build/pixmoth "$@"
