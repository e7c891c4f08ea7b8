#!/bin/sh
# dx_race_pictures.sh KELVARRO_DX KELVARRO_GLIDE KELVDATA PICTURE_TWIN WORKDIR
# The scenes of kelvarro_glide's race pictures (the main menu, the loading
# screen, the starting grid of the intro, the race in the far, chase and TV
# cameras, the pause dialog) drawn by both programs from the same scripted
# clicks and keys on the frame clock, each kelvarro_dx picture compared with
# its Glide twin by PICTURE_TWIN: the Glide gamma applied, every channel
# within 12, but for at most 4% of the pixels (the fade, the shadows, the
# panels and the dust blend by their own factors in each build), and pixels
# worked out by hand for the Direct3D picture itself. Two scenes allow more:
# the starting grid 6% (its panel of checks blends by alpha in Direct3D, by
# colour on the Glide board, and the lens flare's rings differ with it), the
# far camera 7% (the field behind the player does not stand where it stands
# in the Glide run: a place and an opponent's bike differ).
set -e
dx=$1; glide=$2; kelvdata=$3; twin=$4; work=$5
rm -rf "$work"
mkdir -p "$work/dx" "$work/glide"
"$kelvdata" dataset "$work/data"

frame=0
say() { echo "$frame $*" >> "$script"; }
pause() { frame=$((frame + $1)); }
click() {
  say mouse-move -4000 -4000; pause 2
  say mouse-move "$1" "$2"; pause 4
  say mouse-down LEFT; pause 2
  say mouse-up LEFT; pause "$3"
}
key() {
  say key-down "$1"; pause 1
  say key-up "$1"; pause "$2"
}
ICON=60
script=$work/race.txt
frame=70
say shot menu.png
frame=80
click 320 130 50
click 510 420 50
click 320 300 0
pause 24; say shot loading.png
pause 426; say shot grid.png
pause 520
key F8 $ICON; say shot far.png
key F7 1
key F7 $ICON; say shot chase.png
key F7 $ICON; say shot tv.png
key ESCAPE 30; say shot paused.png
say close

# play BUILD GAME VERSION: the race in a copy of the data set.
status=0
play() {
  build=$1; game=$2; version=$3
  cp -r "$work/data/." "$work/$build"
  printf '%s\n' '[HKEY_LOCAL_MACHINE\SOFTWARE\Ostrelmont\Kelvarro\1.00]' "\"Version\"=dword:0000000$version" \
    '"Language"=dword:00000000' '"MancheTime"=dword:00000002' '"NumPlayers"=dword:00000008' \
    '"GameSkill"=dword:00000002' '"MPH"=dword:00000000' '"ManualShift"=dword:00000000' \
    '"CameraType"=dword:00000001' '"GameWidth"=dword:00000280' '"GameHeight"=dword:000001e0' \
    '"DDDriver"=dword:00000000' '"3DDevice"=dword:00000001' '"GameBPP"=dword:00000010' > "$work/$build/registry.txt"
  set +e
  (cd "$work/$build" &&
    KELVARRO_CONFIG="$work/$build/registry.txt" KELVARRO_CD="$work/$build/CD/KELVARRO.CUE" KELVARRO_SCRIPT="$script" \
      KELVARRO_FRAME_CLOCK=1 timeout 600 "$game" > out.txt 2>&1)
  code=$?
  set -e
  if [ "$code" -ne 0 ]; then
    cat "$work/$build/out.txt"; echo "$build: exit status $code"; status=1
  fi
}
play glide "$glide" 1
play dx "$dx" 0

# picture NAME PERMILLE PIXEL...
picture() {
  name=$1; permille=$2; shift 2
  for build in dx glide; do
    if [ ! -s "$work/$build/$name.png" ]; then echo "$build $name: no picture"; status=1; return; fi
  done
  "$twin" "$work/dx/$name.png" "$work/glide/$name.png" 12 "$permille" "$@" || status=1
}

# Pixels of the Direct3D pictures, which have no gamma: the loading
# picture's band (70, 110, 170) as RGB565 widened to 8 bits is (66, 109, 173),
# the loaded part of its bar at x 100 (255, 110, 20) is (255, 109, 16). The
# pause dialog's slider thumb is 230 in its texture, 231 in 5 bits.
picture menu 40
picture loading 40 320,175=426DAD~1 100,275=FF6D10~1
picture grid 60
picture far 70
picture chase 40
picture tv 40
picture paused 40 340,330=E7E7E7~2
exit $status
