#!/bin/sh
# glide_signal.sh KELVARRO_GLIDE KELVDATA WORKDIR
# SIGTERM ends a running game through its own shutdown: the game is started
# on the synthetic data set, whose front-end scenes load, so that it waits in
# its message loop; after SIGTERM it exits with 128 + 15, its configuration intact, the
# AutoRun policy back as it was and no temporary file left beside it.
set -e
game=$1; kelvdata=$2; work=$3
rm -rf "$work"
mkdir -p "$work"
root=$(cd "$work" && pwd -P)
"$kelvdata" dataset "$root"
cat > "$root/registry.txt" <<'REG'
[HKEY_LOCAL_MACHINE\SOFTWARE\Ostrelmont\Kelvarro\1.00]
"Version"=dword:00000001
"Language"=dword:00000000

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Policies\Explorer]
"NoDriveTypeAutoRun"=hex:91,00,00,00
REG
cd "$root"
KELVARRO_CONFIG="$root/registry.txt" "$game" > out.txt 2>&1 &
pid=$!
# Until AutoRun is switched off (the start-up is under way), then a moment
# for the rest of it.
i=0
while ! grep -q '"NoDriveTypeAutoRun"=hex:ff,00,00,00' registry.txt; do
  i=$((i + 1))
  if [ $i -gt 600 ] || ! kill -0 $pid 2>/dev/null; then
    cat out.txt; echo "the game did not start"; kill -KILL $pid 2>/dev/null; exit 1
  fi
  sleep 0.1
done
sleep 2
if ! kill -0 $pid 2>/dev/null; then cat out.txt; echo "the game ended by itself"; exit 1; fi
kill -TERM $pid
# An orderly exit is quick; a hang is killed after 30 s.
( sleep 30; kill -KILL $pid 2>/dev/null ) > /dev/null 2>&1 &
watchdog=$!
set +e
wait $pid
status=$?
set -e
kill $watchdog 2>/dev/null || true
cat out.txt
[ "$status" -eq 143 ] || { echo "exit status $status"; exit 1; }
grep -q '"NoDriveTypeAutoRun"=hex:91,00,00,00' registry.txt || { cat registry.txt; echo "AutoRun not restored"; exit 1; }
grep -q '"Version"=dword:00000001' registry.txt || { cat registry.txt; echo "configuration lost"; exit 1; }
leftovers=$(ls -A | grep -v -x -e DATA -e SOUNDS -e CD -e parts -e out.txt -e registry.txt || true)
[ -z "$leftovers" ] || { echo "left behind: $leftovers"; exit 1; }
