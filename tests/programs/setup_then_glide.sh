#!/bin/sh
# setup_then_glide.sh KELVSETUP KELVARRO_GLIDE KELVDATA WORKDIR
# The setup program run headless by its scripted user on a fresh Glide
# installation: opening the controls tab and cancelling stores the default
# bindings; a second run chooses 800 x 600, rebinds gear up and presses OK.
# The values land in the configuration, and kelvarro_glide then starts with
# it and reaches its main menu without an error.
set -e
setup=$1; game=$2; kelvdata=$3; work=$4
rm -rf "$work"
mkdir -p "$work"
"$kelvdata" dataset "$work"
cat > "$work/registry.txt" <<'REG'
[HKEY_LOCAL_MACHINE\SOFTWARE\Ostrelmont\Kelvarro\1.00]
"Version"=dword:00000001
"Language"=dword:00000000
REG
cd "$work"
export KELVARRO_CONFIG="$work/registry.txt"
value() { sed -n "s/^\"$1\"=dword:\([0-9a-f]*\)$/\1/p" registry.txt; }

KELVSETUP_SCRIPT="tab 1; cancel" "$setup" > setup1.txt 2>&1 || { cat setup1.txt; echo "kelvsetup failed"; exit 1; }
default_gear=$(value GearUp)
[ -n "$default_gear" ] || { cat registry.txt; echo "no bindings written"; exit 1; }
[ "$(value SetupState)" = 00000001 ] || { cat registry.txt; echo "no SetupState"; exit 1; }

KELVSETUP_SCRIPT="select 1025 1; tab 1; select 1007 0; ok" "$setup" > setup2.txt 2>&1 || { cat setup2.txt; exit 1; }
cat registry.txt
[ "$(value GameWidth)" = 00000320 ] || { echo "GameWidth not 800"; exit 1; }
[ "$(value GameHeight)" = 00000258 ] || { echo "GameHeight not 600"; exit 1; }
[ "$(value ViewWidth)" = 0000031f ] || { echo "ViewWidth not 799"; exit 1; }
[ "$(value GearUp)" != "$default_gear" ] || { echo "gear up not rebound"; exit 1; }
if [ -s setup1.txt ] || [ -s setup2.txt ]; then cat setup1.txt setup2.txt; echo "kelvsetup showed a message"; exit 1; fi

KELVARRO_CD="$work/CD/KELVARRO.CUE" KELVARRO_SCREENSHOT="$work/menu.png" KELVARRO_SCREENSHOT_FRAME=60 \
  "$game" > out.txt 2>&1 &
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
# The game keeps what the setup program chose.
[ "$(value GameWidth)" = 00000320 ] || { echo "the game lost GameWidth"; exit 1; }
