#!/bin/sh
# net_race_two.sh KELVARRO_GLIDE KELVDATA RACE_CHECK WORKDIR
# Two machines go from the lobby into a race and ride over a minute of it:
# the start handshake once, rider states and snapshots five a second of the
# state clock, the conditions every 30 s taken bit for bit, the race clock
# every 15 s, each remote rider on its owner's path, no snapshot moving the
# receiver's own. Then both riders are put out and the race ends: the host
# makes the final order and both machines hold the same results.
set -e
. "$(dirname "$0")/net_race_lib.sh"
PLAYERS=2
RETIRE=5200
machine m1 host 0
machine m2 client 1
start m1
await m1 "count=1 host=1" 120
start m2
await m1 "SEND RESULTS_DONE" 1300
await m2 "RECORD" 60
sleep 2
stop_all
"$check" two "$work/m1/net.log" "$work/m2/net.log" || fail "the capture files disagree"
echo "ok"
