#!/bin/sh
# dx_start.sh KELVARRO_DX KELVDATA WORKDIR
# Starts kelvarro_dx on the synthetic data set with the installation's
# Version 0, twice: once with the display choice in the registry (driver 0,
# the hardware device 1, 16 bits), and once without it, the "Select display
# driver" dialog answered with OK on its first offered mode. Each time the
# game reaches the main menu, whose frame is written as a screenshot, and
# runs on until SIGTERM ends it through its own shutdown, having reported no
# error.
set -e
game=$1; kelvdata=$2; work=$3
rm -rf "$work"
mkdir -p "$work"
"$kelvdata" dataset "$work"
cd "$work"

# start NAME DIALOG REGISTRY-LINES...
start() {
  name=$1; dialog=$2; shift 2
  {
    printf '%s\n' '[HKEY_LOCAL_MACHINE\SOFTWARE\Ostrelmont\Kelvarro\1.00]' '"Version"=dword:00000000' \
      '"Language"=dword:00000000' "$@"
  } > "$work/$name.txt"
  rm -f "$name.png"
  KELVARRO_CONFIG="$work/$name.txt" KELVARRO_CD="$work/CD/KELVARRO.CUE" KELVARRO_SCREENSHOT="$work/$name.png" \
    KELVARRO_SCREENSHOT_FRAME=60 KELVARRO_DIALOG="$dialog" "$game" > "$name.out" 2>&1 &
  pid=$!
  i=0
  while [ ! -s "$name.png" ]; do
    i=$((i + 1))
    if [ $i -gt 1200 ] || ! kill -0 $pid 2>/dev/null; then
      cat "$name.out"; echo "$name: no main menu"; kill -KILL $pid 2>/dev/null; exit 1
    fi
    sleep 0.1
  done
  sleep 0.5
  kill -TERM $pid
  set +e
  wait $pid
  status=$?
  set -e
  cat "$name.out"
  [ "$status" -eq 143 ] || { echo "$name: exit status $status"; exit 1; }
  if grep -qi "error" "$name.out"; then echo "$name: an error was reported"; exit 1; fi
}

start chosen "" '"DDDriver"=dword:00000000' '"3DDevice"=dword:00000001' '"GameBPP"=dword:00000010'
start dialog "ok"
