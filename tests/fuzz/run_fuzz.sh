#!/bin/sh
# run_fuzz.sh FUZZER KELVDATA KIND WORKDIR SECONDS MAX_LEN
# Inputs that once broke a reader stay in regressions/KIND beside this script:
# each run replays them before it fuzzes.
set -e
fuzzer=$1; kelvdata=$2; kind=$3; work=$4; seconds=$5; max_len=${6:-4096}
regressions="$(cd "$(dirname "$0")" && pwd)/regressions/$kind"
rm -rf "$work"
mkdir -p "$work/corpus" "$work/seeds"
"$kelvdata" seed "$kind" "$work/seeds"
cd "$work"
if [ -d "$regressions" ]; then
  "$fuzzer" -rss_limit_mb=2048 "$regressions"/*
fi
exec "$fuzzer" -max_total_time="$seconds" -max_len="$max_len" -rss_limit_mb=2048 -print_final_stats=1 corpus seeds
