#!/bin/sh
# glide_race_pictures.sh KELVARRO_GLIDE KELVDATA PICTURE_CHECK REFERENCES WORKDIR
# Pictures of a first moto on the synthetic course in kelvarro_glide at
# 640 x 480, played from the main menu with scripted clicks and keys on the
# frame clock (KELVARRO_FRAME_CLOCK=1: frame n shows the same moment on every
# run), compared with the references in REFERENCES by PICTURE_CHECK (with
# KELVARRO_UPDATE_REFERENCES=1 they are rewritten instead): the loading
# screen, the starting grid of the intro, the race twenty seconds in with the
# far, chase and TV cameras, the pause dialog, and a first moto in rain with
# its fog. Each picture also has pixels worked out by hand.
set -e
game=$1; kelvdata=$2; check=$3; references=$4; work=$5
rm -rf "$work"
mkdir -p "$work/clear" "$work/rain"
"$kelvdata" dataset "$work/clear"
"$kelvdata" dataset "$work/rain"
# The rain: the event screen chooses it as it opens, as its weather buttons
# would (command 34, weather 1).
"$kelvdata" scene-action "$work/rain/DATA/UI/SCENE4.SCN" 34 1 0 NULL
# The race's resolution (640 x 480), the fewest riders and the near camera.
cat > "$work/registry.txt" <<'REG'
[HKEY_LOCAL_MACHINE\SOFTWARE\Ostrelmont\Kelvarro\1.00]
"Version"=dword:00000001
"Language"=dword:00000000
"MancheTime"=dword:00000002
"NumPlayers"=dword:00000008
"GameSkill"=dword:00000002
"MPH"=dword:00000000
"ManualShift"=dword:00000000
"CameraType"=dword:00000001
"GameWidth"=dword:00000280
"GameHeight"=dword:000001e0
REG

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
# The main menu's single race, the player screen's OK, the event screen's
# first moto and its grid's start: the race's loading screen follows the
# click within 30 frames.
# The camera icon of a new mode is fully shown from half a second after the
# key to 1.5 seconds (60 frames after it).
ICON=60
to_the_race() {
  frame=80
  click 320 130 50
  click 510 420 50
  click 320 300 50
  click 320 40 0
}

# The moto in clear weather: its intro in full (the grid shows from 5 to
# 10 s of it), then the racing from frame 1166 on, the player on the
# throttle (A) from the start, riding straight on off the course into the
# grass, the camera behind the player's rider. Twenty seconds in, F8 takes the far camera, F7 twice the chase camera
# (through the near one), F7 the TV; Escape pauses.
script=$work/clear.txt
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

# The moto in rain: Escape ends the intro at once (within its first 10 s);
# twenty seconds later the field has left the player on the grid, and the
# camera behind the rider looks down the course into the fog.
script=$work/rain.txt
to_the_race
pause 200; key ESCAPE 1300; say shot rain.png
say close

status=0
# race NAME: plays NAME.txt in the folder NAME with a registry of its own.
race() {
  cp "$work/registry.txt" "$work/$1/registry.txt"
  set +e
  (cd "$work/$1" &&
    KELVARRO_CONFIG="$work/$1/registry.txt" KELVARRO_CD="$work/$1/CD/KELVARRO.CUE" KELVARRO_SCRIPT="$work/$1.txt" \
      KELVARRO_FRAME_CLOCK=1 timeout 600 "$game" > out.txt 2>&1)
  code=$?
  set -e
  if [ "$code" -ne 0 ]; then
    cat "$work/$1/out.txt"
    echo "$1: exit status $code"
    status=1
  fi
}
race clear
race rain

# picture NAME PIXEL...: the shot against REFERENCES/race_NAME.png.
picture() {
  name=$1; shift
  shot=$work/clear/$name.png
  [ "$name" = rain ] && shot=$work/rain/$name.png
  if [ ! -s "$shot" ]; then
    echo "$name: no picture"; status=1; return
  fi
  "$check" "$shot" "$references/race_$name.png" "$@" || status=1
}

# Where the board shows a colour c, the screen has the board's gamma of 1.2
# applied: 255 (c / 255)^(1 / 1.2). Texture texels hold 5 bits a channel
# (c >> 3, widened again as (c5 << 3) | (c5 >> 2)); the loading picture is
# RGB565, its green with 6 bits ((c >> 2) << 2 | c6 >> 4).
# The loading picture's band (70, 110, 170) at y 150..199 is written as it
# stands: 66, 109, 173 in RGB565, 83, 126, 185 on the screen; the part of the
# bar already loaded shows the picture's orange (255, 100 + 120 (x - 55) /
# 535, 20), at x 100: (255, 110, 20), in RGB565 255, 109, 16: 255, 126, 25.
picture loading 320,175=537EB9~1 100,275=FF7E19~1
# The starting grid's panel draws its checks of 240 grey with source factor
# one and destination one minus the source colour: the grey and a little of
# what lies behind it, never darker than the grey, so 240 to 255 on the
# screen whatever the intro shows behind.
picture grid 318,170=F7F7F7~8
# The camera icon (48 x 48 at (5, 85), at (5, 5) for the TV camera) has a
# frame of 240 grey texels two of 32 wide, blended the same way: 240 to 255
# at its middle, one pixel in from the left.
picture far 6,109=F7F7F7~8
picture chase 6,109=F7F7F7~8
picture tv 6,29=F7F7F7~8
# The pause dialog's music slider: its thumb, opaque (230 in its texture,
# 231 in 5 bits), 235 on the screen.
picture paused 340,330=EBEBEB~1
# In rain the fog ends at 150: the course at the horizon, farther than that,
# shows the rain scenery's fog colour (0.45, 0.5, 0.55), on the board
# (114, 127, 140), on the screen 130, 143, 155: right of the rider, where
# nothing nearer stands on the horizon.
picture rain 480,244=828F9B~1
exit $status
