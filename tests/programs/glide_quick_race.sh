#!/bin/sh
# glide_quick_race.sh KELVARRO_GLIDE KELVDATA PICTURE_CHECK REFERENCES WORKDIR
# The quick race played end to end in kelvarro_glide on the synthetic data
# set, headless, with scripted keys and clicks on the frame clock: from the
# main menu's quick race through the player screen to the quick race's own
# event screen, turned to the second course, the rain chosen and clear
# again; the race (one moto on a random grid, straight from the screen), the
# player retiring from the pause dialog and the others riding it out; its
# results, and from them back to the main menu; the game left through the
# quit question and the credits. The scene sequence is read from the
# debugger output (KELVARRO_DEBUG_OUTPUT), every screen passed is left as a
# picture in WORKDIR, and the event screen is compared with its reference
# in REFERENCES (KELVARRO_UPDATE_REFERENCES=1 rewrites it), with pixels
# worked out by hand.
set -e
game=$1; kelvdata=$2; check=$3; references=$4; work=$5
. "$(dirname "$0")/script_steps.sh"
data_set "$work"
# The fewest riders, the shortest race and the race at 640 x 480.
registry "$work/registry.txt" 1 $RACE_SETTINGS
cd "$work"

# The race loads behind its loading screen and plays its intro, which
# Escape skips; the pause waits for the start's countdown. After the player
# retires, the others ride the moto's two minutes and their last lap:
# MOTO_END frames outlast it. A chooser turns its page in under half a
# second.
RACE_LOAD=120; RACING=900; MOTO_END=14000; TURN=40
# The main menu's quick race; the player screen's OK; the quick race's next
# course, weather buttons and race; the pause dialog's first button
# (retire); the moto results' way out.
QUICK_RACE="525 130"; OK="510 420"
NEXT_COURSE="157 220"; CLEAR="530 177"; RAIN="530 221"; RACE="320 360"
RETIRE="320 135"; TO_EVENT="525 420"

begin quick.txt
click $QUICK_RACE $NEW_SCENE
say shot player.png
click $OK $NEW_SCENE
click $NEXT_COURSE $TURN
click $RAIN $SAME_SCENE
say shot event.png
click $CLEAR $SAME_SCENE
click $RACE $RACE_LOAD
key ESCAPE $RACING
say shot race.png
key ESCAPE $QUESTION
say shot paused.png
click $RETIRE $MOTO_END
say shot results.png
click $TO_EVENT $NEW_SCENE
say shot menu.png
leave

status=0
play quick 900 KELVARRO_FRAME_CLOCK=1 KELVARRO_DEBUG_OUTPUT=1

# The scenes entered, in order: the movie (27), the menu (0), the player
# screen (1), the quick race's event screen (21), the race on the second
# course (34), the moto's results (11), the menu and the credits (28).
scenes quick "27 0 1 21 34 11 0 28"
shots quick player event race paused results menu

# The event screen in the rain. Where the board shows a colour c, the
# screen has the board's gamma of 1.2 applied: 255 (c / 255)^(1 / 1.2);
# textures keep 5 bits a channel. The rain's button is shown pressed, in
# its pressed texture (240, 200, 60): (247, 206, 57) in texels, (248, 213,
# 73) on the screen; the clear weather's button and the race's are in the
# normal texture (60, 90, 160): (57, 90, 165) in texels, (73, 107, 177) on
# the screen.
compare event.png quick_event.png 445,209=F8D549~2 445,165=496BB1~2 226,346=496BB1~2
exit $status
