#!/bin/sh
# run_fuzz.sh FUZZER KELVDATA KIND WORKDIR SECONDS [LIBFUZZER OPTIONS...]
set -e
fuzzer=$1; kelvdata=$2; kind=$3; work=$4; seconds=$5
shift 5
rm -rf "$work"
mkdir -p "$work/corpus" "$work/seeds"
"$kelvdata" seed "$kind" "$work/seeds"
cd "$work"
exec "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 "$@" corpus seeds
