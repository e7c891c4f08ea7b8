#!/bin/sh
# net_race_gone.sh KELVARRO_GLIDE KELVDATA RACE_CHECK WORKDIR
# Two machines race and the host's process is killed mid-race: the survivor
# counts one player and knows its opponents gone.
set -e
. "$(dirname "$0")/net_race_lib.sh"
PLAYERS=2
machine m1 host 0
machine m2 client 1
start m1
await m1 "count=1 host=1" 120
start m2
await m1 "SEND START_RACE" 400
sleep 5
kill -KILL $pid_m1
await m2 "opponents_gone=1" 120
sleep 1
stop_all
"$check" gone "$work/m2/net.log" || fail "the survivor did not see its opponents gone"
echo "ok"
