# Sourced after script_steps.sh by the race picture tests of both builds: a
# first moto on the synthetic course at 640 x 480, played from the main menu
# with scripted clicks and keys on the frame clock (KELVARRO_FRAME_CLOCK=1:
# frame n shows the same moment on every run), once in clear weather and
# once in rain. A caller sets $work as well.

# race_data: the data set in $work/clear, and in $work/rain with the rain,
# which the event screen chooses as it opens, as its weather buttons would
# (command 34, weather 1).
race_data() {
  rm -rf "$work"
  data_set "$work/clear"
  data_set "$work/rain"
  "$kelvdata" scene-action "$work/rain/DATA/UI/SCENE4.SCN" 34 1 0 NULL
}

# The main menu's single race, the player screen's OK, the event screen's
# first moto and its grid's start: the race's loading screen follows the
# click within 30 frames.
to_the_race() {
  frame=80
  click 320 130 50
  click 510 420 50
  click 320 300 50
  click 320 40 0
}
# The camera icon of a new mode is fully shown from half a second after the
# key to 1.5 seconds (60 frames after it).
ICON=60

# clear_race: the moto in clear weather, into $script: its intro in full
# (the grid shows from 5 to 10 s of it), then the racing from frame 1166 on,
# the player on the throttle (A) from the start, riding straight on off the
# course into the grass, the camera behind the player's rider. Twenty
# seconds in, F8 takes the far camera, F7 twice the chase camera (through
# the near one), F7 the TV; Escape pauses.
clear_race() {
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
}

# rain_race: the moto in rain, into $script: Escape ends the intro at once
# (within its first 10 s); twenty seconds later the field has left the
# player on the grid, and the camera behind the rider looks down the course
# into the fog.
rain_race() {
  to_the_race
  pause 200; key ESCAPE 1300; say shot rain.png
  say close
}

# ride BUILD PROGRAM RACE VERSION [NAME=VALUE...]: PROGRAM (the $game that
# play starts) plays the script $work/RACE.txt in a copy of RACE's data set
# in $work/BUILD/RACE, on the installation's VERSION with the race's
# settings and the dwords given.
ride() {
  dir=$work/$1/$3
  mkdir -p "$dir"
  cp -r "$work/$3/." "$dir"
  cp "$work/$3.txt" "$dir/$3.txt"
  game=$2; race=$3; version=$4; shift 4
  registry "$dir/registry.txt" "$version" $RACE_SETTINGS "$@"
  cd "$dir"
  play "$race" 600 KELVARRO_FRAME_CLOCK=1
  cd "$work"
}

# shot BUILD NAME: the picture NAME of BUILD's run (the rain picture of its
# rain race, the others of its clear one).
shot() {
  if [ "$2" = rain ]; then echo "$work/$1/rain/$2.png"; else echo "$work/$1/clear/$2.png"; fi
}
