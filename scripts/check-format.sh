#!/usr/bin/env bash
# Fails when a C++ file of the project does not follow .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files -co --exclude-standard -- 'src/*' 'tests/*' 'bench/*' 'fuzz/*' |
                     grep -E '\.(cpp|h)$' || true)
[[ ${#files[@]} -eq 0 ]] && exit 0
clang-format --dry-run -Werror "${files[@]}"
