#!/usr/bin/env bash
# Runs the fuzz targets for a while each:  scripts/fuzz.sh SECONDS [TARGET...]
# New inputs go to fuzz/out/TARGET/ (seeded from fuzz/corpus/TARGET/), crashes and
# slow inputs to fuzz/out/artifacts/. Default: every target.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}
shift
scripts/deps.sh test
scripts/build-fuzz.sh
targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
    mapfile -t targets < <(ls fuzz/corpus)
fi
mkdir -p fuzz/out/artifacts
for target in "${targets[@]}"; do
    mkdir -p "fuzz/out/$target"
    echo "== $target for ${seconds}s"
    "build-fuzz/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
        -print_final_stats=1 -artifact_prefix=fuzz/out/artifacts/"$target"- \
        "fuzz/out/$target" "fuzz/corpus/$target"
done
