#!/bin/sh
# setup_then_games.sh KELVSETUP KELVARRO_GLIDE KELVARRO_DX KELVDATA WORKDIR
# The setup program run headless by its scripted user on a fresh Glide
# installation: opening the controls tab and cancelling stores the default
# bindings; a second run chooses 800 x 600, rebinds gear up and presses OK.
# The values land in the configuration, and kelvarro_glide then starts with
# it and reaches its main menu without an error. Then the same on a fresh
# Direct3D installation: OK on the Direct3D page with 800 x 600 chosen
# stores the driver, device and colour depth, and kelvarro_dx starts with
# them without asking for a display driver.
set -e
setup=$1; glide=$2; dx=$3; kelvdata=$4; work=$5
. "$(dirname "$0")/script_steps.sh"
data_set "$work"
registry "$work/registry.txt" 1
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

reaches_menu glide "$glide"
# The game keeps what the setup program chose.
[ "$(value GameWidth)" = 00000320 ] || { echo "the game lost GameWidth"; exit 1; }

registry "$work/registry.txt" 0
KELVSETUP_SCRIPT="select 1033 1; ok" "$setup" > setup3.txt 2>&1 || { cat setup3.txt; exit 1; }
cat registry.txt
[ -s setup3.txt ] && { cat setup3.txt; echo "kelvsetup showed a message"; exit 1; }
for name in DDDriver 3DDevice GameBPP; do
  [ -n "$(value $name)" ] || { echo "no $name written"; exit 1; }
done
[ "$(value GameWidth)" = 00000320 ] || { echo "GameWidth not 800"; exit 1; }
# Without a display the driver dialog would end the start: none may appear.
reaches_menu dx "$dx"
[ "$(value GameWidth)" = 00000320 ] || { echo "kelvarro_dx lost GameWidth"; exit 1; }
exit 0
