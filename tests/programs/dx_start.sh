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
. "$(dirname "$0")/script_steps.sh"
data_set "$work"
cd "$work"
registry chosen.txt 0 DDDriver=00000000 3DDevice=00000001 GameBPP=00000010
reaches_menu chosen "$game" KELVARRO_CONFIG="$work/chosen.txt" KELVARRO_DIALOG=
registry dialog.txt 0
reaches_menu dialog "$game" KELVARRO_CONFIG="$work/dialog.txt" KELVARRO_DIALOG=ok
