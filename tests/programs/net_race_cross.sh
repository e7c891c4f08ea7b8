#!/bin/sh
# net_race_cross.sh KELVARRO_GLIDE KELVARRO_DX KELVDATA RACE_CHECK WORKDIR
# A kelvarro_glide host and a kelvarro_dx client (its installation's
# Version 0, the display choice in its registry) race each other: the start
# handshake completes, the race runs on past its first conditions and every
# guaranteed message arrives both ways. The send rates are not checked: they
# follow each game's frame rate, which the two renderers do not share.
set -e
dx=$2
set -- "$1" "$3" "$4" "$5"
. "$(dirname "$0")/net_race_lib.sh"
PLAYERS=2
machine m1 host 0
machine m2 client 1
sed -i 's/^"Version"=dword:00000001$/"Version"=dword:00000000/' "$work/m2/registry.txt"
printf '%s\n' '"DDDriver"=dword:00000000' '"3DDevice"=dword:00000001' '"GameBPP"=dword:00000010' \
  >> "$work/m2/registry.txt"
grep -q '^"Version"=dword:00000000$' "$work/m2/registry.txt" || fail "m2: no Direct3D installation in its registry"
start m1
await m1 "count=1 host=1" 120
# The library runs $game for every machine: the client is the Direct3D build.
glide=$game
game=$dx
start m2
game=$glide
race_clock m1 45 600
case "$(ps -o args= -p "$pid_m2")" in
  "$dx"*) ;;
  *) fail "m2: not the kelvarro_dx process" ;;
esac
sleep 3
stop_all
grep -qi "error" "$work/m2/out.txt" && fail "m2: kelvarro_dx reported an error"
"$check" loss "$work/m1/net.log" "$work/m2/net.log" || fail "the capture files disagree"
echo "ok"
