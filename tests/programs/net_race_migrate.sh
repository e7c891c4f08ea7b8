#!/bin/sh
# net_race_migrate.sh KELVARRO_GLIDE KELVDATA RACE_CHECK WORKDIR
# Three machines race and the host's process is killed mid-race: one of the
# others becomes the host, announces itself exactly once, and the race goes
# on with the new host relaying the states, through to its results once both
# riders left are put out.
set -e
. "$(dirname "$0")/net_race_lib.sh"
PLAYERS=3
RETIRE=5200
machine m1 host 0
machine m2 client 1
machine m3 client 2
start m1
await m1 "count=1 host=1" 120
start m2
await m2 "SEND PLAYER_INFO" 180
start m3
await m1 "SEND START_RACE" 400
sleep 5
kill -KILL $pid_m1
i=0
while :; do
  if grep -q "became_host=1" "$work/m2/net.log"; then new=m2; other=m3; break; fi
  if grep -q "became_host=1" "$work/m3/net.log"; then new=m3; other=m2; break; fi
  i=$((i + 1))
  [ $i -gt 600 ] && fail "no machine became the host"
  sleep 0.2
done
await $other "RECV NEW_SERVER" 120
await $new "SEND RESULTS_DONE" 1300
await $other "RECORD" 60
sleep 2
stop_all
"$check" migrate "$work/$new/net.log" "$work/$other/net.log" || fail "the capture files disagree"
echo "ok"
