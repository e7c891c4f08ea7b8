#!/bin/sh
# glide_start.sh KELVARRO_GLIDE KELVDATA WORKDIR
# Starts kelvarro_glide on the synthetic data set: the game opens its window
# and the board, plays the start-up movie and goes on to the main menu, whose
# frame (well after its fade-in) is written as a screenshot; the game then
# runs on until SIGTERM ends it through its own shutdown, having reported no
# error. The data set's disc image is the CD, as with the run command.
set -e
game=$1; kelvdata=$2; work=$3
. "$(dirname "$0")/script_steps.sh"
data_set "$work"
registry "$work/registry.txt" 1
cd "$work"
reaches_menu menu "$game"
