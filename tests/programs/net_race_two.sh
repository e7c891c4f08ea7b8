#!/bin/sh
# net_race_two.sh KELVARRO_GLIDE KELVDATA RACE_CHECK WORKDIR
# Two machines go from the lobby into a race and ride a minute of it: the
# start handshake once, rider states and snapshots about five a second, the
# conditions every 30 s taken bit for bit, the race clock every 15 s, the
# remote rider on its owner's path, no snapshot moving the receiver's own.
set -e
. "$(dirname "$0")/net_race_lib.sh"
PLAYERS=2
machine m1 host 0
machine m2 client 1
start m1
await m1 "count=1 host=1" 120
start m2
race_clock m1 60 600
sleep 3
stop_all
"$check" two "$work/m1/net.log" "$work/m2/net.log" || fail "the capture files disagree"
echo "ok"
