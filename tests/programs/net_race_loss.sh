#!/bin/sh
# net_race_loss.sh KELVARRO_GLIDE KELVDATA RACE_CHECK WORKDIR
# Two machines race with 30% of the unguaranteed messages lost on both:
# the start handshake still completes, the race runs on past its first
# conditions, and every guaranteed message arrives.
set -e
. "$(dirname "$0")/net_race_lib.sh"
PLAYERS=2
machine m1 host 0
machine m2 client 1
start m1 KELVARRO_NET_LOSS=30 KELVARRO_NET_SEED=7
await m1 "count=1 host=1" 120
start m2 KELVARRO_NET_LOSS=30 KELVARRO_NET_SEED=11
race_clock m1 45 600
sleep 3
stop_all
"$check" loss "$work/m1/net.log" "$work/m2/net.log" || fail "the capture files disagree"
echo "ok"
