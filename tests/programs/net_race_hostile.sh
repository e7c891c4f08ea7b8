#!/bin/sh
# net_race_hostile.sh KELVARRO_GLIDE KELVDATA RACE_CHECK WORKDIR HOSTILE_PEER
# A host and a client race with a third machine in the session that floods
# both with random and truncated payloads of every message type: neither
# game crashes nor reports a sanitizer fault, and the race goes on (its
# clock, conditions and the client's states keep coming) as between two.
set -e
hostile=$5
. "$(dirname "$0")/net_race_lib.sh"
PLAYERS=3
machine m1 host 0
machine m2 client 1
start m1
await m1 "count=1 host=1" 120
start m2
await m2 "SEND PLAYER_INFO" 180
"$hostile" $port 40 > "$work/hostile.txt" 2>&1 &
pids="$pids $!"
race_clock m1 60 600
sleep 3
for p in $pid_m1 $pid_m2; do kill -0 "$p" 2>/dev/null || fail "a game ended during the flood"; done
stop_all
grep -q FLOODING "$work/hostile.txt" || { cat "$work/hostile.txt"; fail "the hostile machine never flooded"; }
for m in m1 m2; do
  if grep -q "runtime error\|Sanitizer" "$work/$m/out.txt"; then fail "$m: a sanitizer report"; fi
done
"$check" hostile "$work/m1/net.log" "$work/m2/net.log" || fail "the race did not go on"
echo "ok"
