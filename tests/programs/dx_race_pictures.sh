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
. "$(dirname "$0")/script_steps.sh"
. "$(dirname "$0")/race_pictures.sh"
race_data
cd "$work"
# The same frames as the Glide race pictures, and the main menu before them.
script=$work/clear.txt
frame=70
say shot menu.png
clear_race
script=$work/rain.txt
rain_race

# Each build on its own installation (Version 1 Glide, 0 Direct3D) with the
# display choice of a Direct3D one.
status=0
for race in clear rain; do
  ride glide "$glide" $race 1 DDDriver=00000000 3DDevice=00000001 GameBPP=00000010
  ride dx "$dx" $race 0 DDDriver=00000000 3DDevice=00000001 GameBPP=00000010
done

# picture NAME PERMILLE PIXEL...
picture() {
  name=$1; permille=$2; shift 2
  for build in dx glide; do
    if [ ! -s "$(shot $build "$name")" ]; then echo "$build $name: no picture"; status=1; return; fi
  done
  "$twin" "$(shot dx "$name")" "$(shot glide "$name")" 12 "$permille" "$@" || status=1
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
