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
. "$(dirname "$0")/script_steps.sh"
. "$(dirname "$0")/race_pictures.sh"
race_data
cd "$work"
script=$work/clear.txt
clear_race
script=$work/rain.txt
rain_race
# Each moto in a copy of its data set on a Glide installation.
status=0
ride glide "$game" clear 1
ride glide "$game" rain 1

# picture NAME PIXEL...: the shot against REFERENCES/race_NAME.png.
picture() {
  name=$1; shift
  compare "$(shot glide "$name")" "race_$name.png" "$@"
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
