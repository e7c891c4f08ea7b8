#!/bin/sh
# glide_start.sh KELVARRO_GLIDE KELVDATA WORKDIR
# Starts kelvarro_glide on the synthetic data set: the game opens its window
# and the board, plays the start-up movie and goes on to the main menu, whose
# frame (well after its fade-in) is written as a screenshot; the game then
# runs on until SIGTERM ends it through its own shutdown, having reported no
# error. The data set's disc image is the CD, as with the run command.
set -e
game=$1; kelvdata=$2; work=$3
rm -rf "$work"
mkdir -p "$work"
"$kelvdata" dataset "$work"
cat > "$work/registry.txt" <<'REG'
[HKEY_LOCAL_MACHINE\SOFTWARE\Ostrelmont\Kelvarro\1.00]
"Version"=dword:00000001
"Language"=dword:00000000
REG
cd "$work"
rm -f menu.png
KELVARRO_CONFIG="$work/registry.txt" KELVARRO_CD="$work/CD/KELVARRO.CUE" KELVARRO_SCREENSHOT="$work/menu.png" \
  KELVARRO_SCREENSHOT_FRAME=60 "$game" > out.txt 2>&1 &
pid=$!
i=0
while [ ! -s menu.png ]; do
  i=$((i + 1))
  if [ $i -gt 1200 ] || ! kill -0 $pid 2>/dev/null; then
    cat out.txt; echo "no main menu"; kill -KILL $pid 2>/dev/null; exit 1
  fi
  sleep 0.1
done
sleep 0.5
kill -TERM $pid
set +e
wait $pid
status=$?
set -e
cat out.txt
[ "$status" -eq 143 ] || { echo "exit status $status"; exit 1; }
if grep -qi "error" out.txt; then echo "an error was reported"; exit 1; fi
