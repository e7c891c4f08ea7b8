#!/bin/sh
# glide_options_restart.sh KELVARRO_GLIDE KELVDATA WORKDIR
# The options and a saved championship survive restarts of kelvarro_glide:
# the first run loads damaged and valid options from the configuration file
# and saves them, validated, at its exit; the second run reads them back and
# saves the same again. The save game in DATA\SAVE is left as it was. (The
# first scene's file is taken out of the data set, so that the game ends each
# run there, through its ordinary shutdown.)
set -e
game=$1; kelvdata=$2; work=$3
rm -rf "$work"
mkdir -p "$work/seeds"
"$kelvdata" dataset "$work"
"$kelvdata" seed svd "$work/seeds"
cp "$work/seeds/01.svd" "$work/DATA/SAVE/01.SVD"
rm "$work/DATA/UI/SCENE27.SCN"
cat > "$work/registry.txt" <<'REG'
[HKEY_LOCAL_MACHINE\SOFTWARE\Ostrelmont\Kelvarro\1.00]
"Version"=dword:00000001
"Language"=dword:00000000
"MancheTime"=dword:00000007
"NumPlayers"=dword:0000000e
"Shadows"=dword:00000002
"GameSkill"=dword:00000002
"ManualShift"=dword:00000001
"Weather"=dword:00000000
REG
cd "$work"
status=0

run() {
  set +e
  KELVARRO_CONFIG="$work/registry.txt" KELVARRO_CD="$work/CD/KELVARRO.CUE" timeout 120 "$game" > out.txt 2>&1
  code=$?
  set -e
  [ "$code" -eq 1 ] || { cat out.txt; echo "$1: exit status $code"; status=1; }
}

# expect RUN NAME VALUE: the configuration holds NAME as the dword VALUE.
expect() {
  grep -qx "\"$2\"=dword:$3" registry.txt || { echo "$1: no $2=$3"; status=1; }
}

check() {
  expect "$1" MancheTime 00000004
  expect "$1" NumPlayers 0000000e
  expect "$1" Shadows 00000002
  expect "$1" GameSkill 00000002
  expect "$1" ManualShift 00000001
  expect "$1" Weather 00000000
  expect "$1" FogDistance 00000001
  for name in Replay DrawDistance FFEnable MPH SkyEnable RenderQuality PerspectiveCorrection Filtering Damages; do
    grep -q "^\"$name\"=dword:" registry.txt || { echo "$1: $name not saved"; status=1; }
  done
  cmp -s seeds/01.svd DATA/SAVE/01.SVD || { echo "$1: the save game changed"; status=1; }
}

run first
check first
cp registry.txt registry.first
run second
check second
cmp -s registry.first registry.txt || { echo "the second run saved other options"; diff registry.first registry.txt; status=1; }
exit $status
