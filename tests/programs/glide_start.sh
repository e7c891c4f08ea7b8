#!/bin/sh
# glide_start.sh KELVARRO_GLIDE KELVDATA WORKDIR
# Starts kelvarro_glide on the synthetic data set: the game opens its window
# and the board, finds that the first scene's file is not in the data set yet
# (the front end's scene files come with the front end), reports it in its own
# words and ends by itself with the failed start's status 1, leaking nothing.
# The data set's disc image is the CD, as with the run command.
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
set +e
KELVARRO_CONFIG="$work/registry.txt" KELVARRO_CD="$work/CD/KELVARRO.CUE" timeout 120 "$game" > out.txt 2>&1
status=$?
set -e
cat out.txt
[ "$status" -eq 1 ] || { echo "exit status $status"; exit 1; }
grep -q "File error opening ui data." out.txt || { echo "no error box"; exit 1; }
