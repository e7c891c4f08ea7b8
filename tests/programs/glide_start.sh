#!/bin/sh
# glide_start.sh KELVARRO_GLIDE KELVDATA WORKDIR
# Starts kelvarro_glide on the synthetic data set: the game opens its window
# and the board, plays the start-up movie and goes on to the main menu, whose
# frame (well after its fade-in) is written as a screenshot; the game then
# runs on until SIGTERM ends it through its own shutdown, having reported no
# error. The data set's disc image is the CD, as with the run command.
set -e
game=$1; kelvdata=$2; work=$3
steps="$(cd "$(dirname "$0")" && pwd)/script_steps.sh"
rm -rf "$work"
mkdir -p "$work"
"$kelvdata" dataset "$work"
cat > "$work/registry.txt" <<'REG'
[HKEY_LOCAL_MACHINE\SOFTWARE\Ostrelmont\Kelvarro\1.00]
"Version"=dword:00000001
"Language"=dword:00000000
REG
cd "$work"
. "$steps"
export KELVARRO_CONFIG="$work/registry.txt"
reaches_menu "$game"
