#!/bin/sh
# glide_championship_pictures.sh KELVARRO_GLIDE KELVDATA PICTURE_CHECK REFERENCES WORKDIR
# Pictures of the championship's screens in kelvarro_glide at 640 x 480 on
# the synthetic data set, reached from the main menu with scripted clicks
# on the frame clock (KELVARRO_FRAME_CLOCK=1: frame n shows the same moment
# on every run), compared with the references in REFERENCES by
# PICTURE_CHECK (with KELVARRO_UPDATE_REFERENCES=1 they are rewritten
# instead): the garage before the first round's practice, and the starting
# grid of the first moto when the round screen leaves out practice and
# qualifying (the grid drawn at random, the player last). Each picture also
# has pixels worked out by hand.
set -e
game=$1; kelvdata=$2; check=$3; references=$4; work=$5
. "$(dirname "$0")/script_steps.sh"
data_set "$work"
registry "$work/registry.txt" 1 MancheTime=00000002 NumPlayers=00000008 GameSkill=00000000 Weather=00000000 \
  MPH=00000000 GameWidth=00000280 GameHeight=000001e0
cd "$work"

# The main menu's championship, the player screen's OK, the round screen's
# garage; the cursor then rests in the garage's empty middle. Back to the
# round screen, straight to the motos, through the garage's way on to the
# grid; the cursor rests below its title.
begin pictures.txt
click 320 186 $NEW_SCENE
click 510 420 $NEW_SCENE
click 530 280 $NEW_SCENE
say mouse-move -4000 -4000; pause 2
say mouse-move 150 60; pause 30
say shot garage.png
click 320 420 $NEW_SCENE
click 530 230 $NEW_SCENE
click 525 420 $NEW_SCENE
say mouse-move -4000 -4000; pause 2
say mouse-move 600 300; pause 30
say shot grid.png
say close

status=0
play pictures 300 KELVARRO_FRAME_CLOCK=1

# Where the board shows a colour c, the screen has the board's gamma of 1.2
# applied: 255 (c / 255)^(1 / 1.2).
# The background picture is 64 x 48, stretched to the screen by nearest
# neighbour and written as RGB565: screen pixel (5, 470) takes picture
# pixel (5 x 63 / 639, 470 x 47 / 479) = (0, 46), which is (20 + 0, 30 +
# 2 x 46, 90 + 3 x 46) = (20, 122, 228); in RGB565 16, 121, 231; on the
# screen 25, 137, 235.
# The bike of rider 0 is orange (0.9, 0.45, 0.1); the front of its tank,
# turned to the camera, is lit at 0.85: (195.1, 97.5, 21.7), on the screen
# 204, 114, 32 (to a unit either way, by how the board rounds).
# The buttons' texture (60, 90, 160) holds 5 bits a channel (c >> 3,
# widened again as (c5 << 3) | (c5 >> 2)): 57, 90, 165; on the screen 73,
# 107, 177, as the way back shows it left of its caption.
compare garage.png champ_garage.png 5,470=1989EB~1 97,291=CC7220~2 240,405=496BB1~1
# The grid's start button has the same texture: left of its caption.
compare grid.png champ_grid.png 235,40=496BB1~1
exit $status
