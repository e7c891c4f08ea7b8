#!/bin/sh
# dx_race_pictures.sh KELVARRO_DX KELVARRO_GLIDE KELVDATA PICTURE_TWIN WORKDIR
# The scenes of kelvarro_glide's race pictures (the main menu, the loading
# screen, the starting grid of the intro, the race in the far, chase and TV
# cameras, the pause dialog, the rain with its fog) drawn by both programs
# from the same scripted clicks and keys on the frame clock, each
# kelvarro_dx picture compared with its Glide twin by PICTURE_TWIN: the
# Glide gamma applied, each pixel within 12 of the four Glide pixels around
# its sample point (Direct3D samples half a pixel up and left of the Glide
# board), but for a stated share of the pixels, and pixels worked out by hand
# for the Direct3D picture itself. The builds may differ where their own
# drawing rules differ: the 2D layouts are not snapped to 1/16 pixel in
# Direct3D (the menu's and dialog's texts, 1.5%), panels and the HUD fade
# and blend by alpha there, by colour on the Glide board (the grid's panel
# of checks and the riders' panels 5%, the far camera's lap panels 5%, the
# chase camera's dust and HUD 4%), the rain's drops and rings are each
# build's own (4%), and the fog is the vertices' own in Direct3D, the
# board's table in Glide.
set -e
dx=$1; glide=$2; kelvdata=$3; twin=$4; work=$5
rm -rf "$work"
mkdir -p "$work/data" "$work/rain"
"$kelvdata" dataset "$work/data"
"$kelvdata" dataset "$work/rain"
# The rain: the event screen chooses it as it opens (command 34, weather 1).
"$kelvdata" scene-action "$work/rain/DATA/UI/SCENE4.SCN" 34 1 0 NULL

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
to_the_race() {
  frame=80
  click 320 130 50
  click 510 420 50
  click 320 300 50
  click 320 40 0
}
# The same frames as the Glide race pictures: the clear moto, the player on
# the throttle from the start, and the rain moto looking into its fog.
script=$work/clear.txt
frame=70
say shot menu.png
to_the_race
pause 24; say shot loading.png
pause 426; say shot grid.png
pause 512; say key-down A
pause 1200
key F8 $ICON; say shot far.png
key F7 1
key F7 $ICON; say shot chase.png
key F7 $ICON; say shot tv.png
key ESCAPE 30; say shot paused.png
say close
script=$work/rain.txt
to_the_race
pause 200; key ESCAPE 1300; say shot rain.png
say close

# play BUILD GAME VERSION RACE DATA: RACE's script in a copy of the data set DATA.
status=0
play() {
  build=$1; game=$2; version=$3; race=$4; data=$5
  dir=$work/$build/$race
  mkdir -p "$dir"
  cp -r "$data/." "$dir"
  printf '%s\n' '[HKEY_LOCAL_MACHINE\SOFTWARE\Ostrelmont\Kelvarro\1.00]' "\"Version\"=dword:0000000$version" \
    '"Language"=dword:00000000' '"MancheTime"=dword:00000002' '"NumPlayers"=dword:00000008' \
    '"GameSkill"=dword:00000002' '"MPH"=dword:00000000' '"ManualShift"=dword:00000000' \
    '"CameraType"=dword:00000001' '"GameWidth"=dword:00000280' '"GameHeight"=dword:000001e0' \
    '"DDDriver"=dword:00000000' '"3DDevice"=dword:00000001' '"GameBPP"=dword:00000010' > "$dir/registry.txt"
  set +e
  (cd "$dir" &&
    KELVARRO_CONFIG="$dir/registry.txt" KELVARRO_CD="$dir/CD/KELVARRO.CUE" KELVARRO_SCRIPT="$work/$race.txt" \
      KELVARRO_FRAME_CLOCK=1 timeout 600 "$game" > out.txt 2>&1)
  code=$?
  set -e
  if [ "$code" -ne 0 ]; then
    cat "$dir/out.txt"; echo "$build $race: exit status $code"; status=1
  fi
}
play glide "$glide" 1 clear "$work/data"
play dx "$dx" 0 clear "$work/data"
play glide "$glide" 1 rain "$work/rain"
play dx "$dx" 0 rain "$work/rain"

# picture NAME PERMILLE PIXEL...
picture() {
  name=$1; permille=$2; shift 2
  race=clear
  [ "$name" = rain ] && race=rain
  for build in dx glide; do
    if [ ! -s "$work/$build/$race/$name.png" ]; then echo "$build $name: no picture"; status=1; return; fi
  done
  "$twin" "$work/dx/$race/$name.png" "$work/glide/$race/$name.png" 12 "$permille" "$@" || status=1
}

# Pixels of the Direct3D pictures, which have no gamma: the loading
# picture's band (70, 110, 170) as RGB565 widened to 8 bits is (66, 109, 173),
# the loaded part of its bar at x 100 (255, 110, 20) is (255, 109, 16). The
# pause dialog's slider thumb is 230 in its texture, 231 in 5 bits. In rain
# the fog ends at 150: where the course at the horizon lies wholly beyond
# it, every vertex has fog factor 0 and the pixel is the rain scenery's fog
# colour (0.45, 0.5, 0.55), each channel x 255 truncated: (114, 127, 140);
# right of the start's bank.
picture menu 15
picture loading 5 320,175=426DAD~1 100,275=FF6D10~1
# The grid's table of the eight riders is HUD, which the Glide board blends
# by colour and Direct3D by alpha: about a tenth of the picture differs there.
picture grid 120
picture far 50
picture chase 40
# Once the field races, the HUD shows its messages (a fastest lap), which
# blend by colour on the Glide board and by alpha in Direct3D.
picture tv 25
picture paused 25 340,330=E7E7E7~2
# Direct3D fogs each vertex: on the horizon's row a trace of what lies
# behind still shows, within 10 of the fog colour (the hills there are
# 318429).
picture rain 40 480,244=727F8C~10
exit $status
