#!/bin/sh
# net_loopback.sh NET_LOOPBACK WORKDIR
# Two machines of a network game on 127.0.0.1: the client lists the host's
# session (its name upper-cased, its player), joins (both count two players,
# the client knows the server player), takes the host's skill and options
# from the race set-up and is given another rider than the host's; after the
# host's start command the session is no longer listed. Every step is
# bounded in time.
set -e
prog=$1; work=$2
rm -rf "$work"
mkdir -p "$work"
cd "$work"
port=$((20000 + $$ % 20000))
fail() {
  echo "$1"
  for f in host.txt client.txt list.txt; do [ -f $f ] && { echo "--- $f"; cat $f; }; done
  touch stop
  kill -KILL $hpid 2>/dev/null
  exit 1
}
expect() { grep -qx "$2" "$1" || fail "$1: no line \"$2\""; }

timeout 90 "$prog" host $port > host.txt 2>&1 &
hpid=$!
i=0
while ! grep -q HOSTING host.txt; do
  i=$((i + 1))
  if [ $i -gt 200 ] || ! kill -0 $hpid 2>/dev/null; then fail "the host did not start"; fi
  sleep 0.1
done

timeout 60 "$prog" client $port > client.txt 2>&1 || fail "the client failed"
expect client.txt "SESSION DIRT CUP"
expect client.txt "PLAYERS 1 HOSTRIDER"
expect client.txt "COUNT 2"
expect client.txt "SERVER KNOWN"
expect client.txt "SKILL 2 DAMAGES 1 NOBUDGET 1"
expect client.txt "RIDER 1"
expect client.txt "RACE START"

i=0
while ! grep -q STARTED host.txt; do
  i=$((i + 1))
  if [ $i -gt 200 ]; then fail "the host did not start the race"; fi
  sleep 0.1
done
expect host.txt "COUNT 2"
expect host.txt "CLIENT RIDER 1"

timeout 30 "$prog" list $port > list.txt 2>&1 || fail "the listing failed"
expect list.txt "SESSIONS 0"

touch stop
wait $hpid || fail "the host failed"
echo "ok"
