#!/bin/sh
# glide_single_race_flow.sh KELVARRO_GLIDE KELVDATA PICTURE_CHECK REFERENCES WORKDIR
# The single race played end to end in kelvarro_glide on the synthetic data
# set, headless, with scripted keys and clicks on the frame clock: the
# start-up movie, the main menu under the title, then for each course the
# data set offers a single race (the player screen, the event screen turned
# to the course, a practice ended from the pause dialog, its results) and
# back to the main menu through the event's abandon question; the first
# moto's starting grid on the last course, left by the same question; then
# the options, and the game left through the quit question and the credits.
# The scene sequence is read from the debugger output (KELVARRO_DEBUG_OUTPUT),
# every screen passed is left as a picture in WORKDIR, and the title, the
# event screen, the results and the options are compared with the
# references in REFERENCES (KELVARRO_UPDATE_REFERENCES=1 rewrites them),
# each with pixels worked out by hand.
set -e
game=$1; kelvdata=$2; check=$3; references=$4; work=$5
. "$(dirname "$0")/script_steps.sh"
data_set "$work"
# The fewest riders and the race at 640 x 480.
registry "$work/registry.txt" 1 $RACE_SETTINGS
cd "$work"

# The courses of the data set, each as the event that is on it (the turns
# of the event screen's chooser from the first event, forward or, below 0,
# back) and its race scene: Alder (event 1), Bracken (event 2) and Mire
# (the last event).
COURSES="0:33 1:34 -1:35"

# The race loads behind its loading screen and plays its intro, which
# Escape skips; the pause waits for the start's countdown (RACING frames
# give at least that many sixtieths of a second of race time); a chooser
# turns its page in under half a second. The steps and the scene change's
# and question's waits are the shared ones.
RACE_LOAD=120; RACING=900; TURN=40
# The main menu's single race and options; the player screen's OK; the
# event screen's practice, next and previous course; the pause dialog's
# first button (end the session); the options' way back.
SINGLE_RACE="320 130"; OPTIONS="320 298"; OK="510 420"
PRACTICE="320 180"; NEXT_COURSE="157 220"; PREVIOUS_COURSE="62 220"; END_SESSION="320 135"; BACK="320 420"
# The first moto on the event screen.
FIRST_MOTO="320 300"

begin flow.txt
say shot title.png
course=0
for event in $COURSES; do
  turns=${event%:*}
  click $SINGLE_RACE $NEW_SCENE
  say shot "player_$course.png"
  click $OK $NEW_SCENE
  turn=0
  while [ "$turn" -lt "$turns" ]; do click $NEXT_COURSE $TURN; turn=$((turn + 1)); done
  while [ "$turn" -gt "$turns" ]; do click $PREVIOUS_COURSE $TURN; turn=$((turn - 1)); done
  say shot "event_$course.png"
  click $PRACTICE $RACE_LOAD
  key ESCAPE $RACING
  say shot "race_$course.png"
  key ESCAPE $QUESTION
  click $END_SESSION 150
  say shot "results_$course.png"
  key ESCAPE $QUESTION
  click $YES $NEW_SCENE
  course=$((course + 1))
done
click $SINGLE_RACE $NEW_SCENE
click $OK $NEW_SCENE
click $PREVIOUS_COURSE $TURN
click $FIRST_MOTO $NEW_SCENE
say shot grid.png
key ESCAPE $QUESTION
click $YES $NEW_SCENE
say shot menu.png
click $OPTIONS $NEW_SCENE
say shot options.png
click $BACK $NEW_SCENE
leave quit credits

status=0
play flow 540 KELVARRO_FRAME_CLOCK=1 KELVARRO_DEBUG_OUTPUT=1

# The scenes entered, in order: the movie (27), the menu (0), and per course
# the player screen (1), the event screen (4), the course's race, the
# practice's results (12) and the menu; the player screen, the event screen
# and the first moto's grid with the player at its back (22: he has no lap
# time yet), the menu; then the options (6), the menu and the credits (28).
expected="27 0"
for event in $COURSES; do expected="$expected 1 4 ${event#*:} 12 0"; done
expected="$expected 1 4 22 0 6 0 28"
scenes flow "$expected"
shots flow title grid menu options quit credits

# Where the board shows a colour c, the screen has the board's gamma of 1.2
# applied: 255 (c / 255)^(1 / 1.2). The background pictures are RGB565 on
# the board (red and blue keep 5 bits, widened as (c5 << 3) | (c5 >> 2);
# green 6 bits, (c6 << 2) | (c6 >> 4)); textures keep 5 bits a channel.
# The title's band (150, 60, 25) holds picture rows 4 to 25 of 120, screen
# rows 17 to 104: (148, 60, 24) on the board, (162, 76, 36) on the screen.
# A button's normal texture (60, 90, 160) is (57, 90, 165) in its texels,
# (73, 107, 177) on the screen, at the left end of the menu's first button.
compare title.png single_title.png 20,50=A24C24~2 226,116=496BB1~2
# The weather button of the event's weather (clear) is shown pressed, in
# its pressed texture (240, 200, 60): (247, 206, 57) in texels, (248, 213,
# 73) on the screen; the next one is in the normal texture. The course's
# preview shows grass (60, 110, 50) at its corner: (57, 107, 49), on the
# screen (73, 124, 65).
compare event_0.png single_event.png 445,165=F8D549~2 445,210=496BB1~2 25,65=497C41~2
# The practice's results over the sky's top (40, 70, 120), (41, 69, 123)
# in RGB565 and (56, 86, 139) on the screen; the way back and the next
# session in the normal texture.
compare results_0.png single_results.png 5,5=38568B~2 226,406=496BB1~2 436,406=496BB1~2
# The skill slider's track (110 grey, 107 in texels, 124 on the screen) and
# its thumb at the hard end (230, 231 in texels, 235 on the screen); the
# first option button in the normal texture.
compare options.png single_options.png 30,92=7C7C7C~2 154,92=EBEBEB~2 445,68=496BB1~2
exit $status
