#!/bin/sh
# glide_race_sessions.sh KELVARRO_GLIDE KELVDATA WORKDIR
# A practice, a qualifying and a first moto on the synthetic course, each
# played from the main menu with scripted clicks and keys: the single race's
# player screen, the session's button (the moto's by its starting grid),
# the race (its intro skipped, some
# seconds of racing), the pause dialog's first button (end the session or
# retire: the moto then ends when the others have finished), which ends the
# race into the results screen; its way back leads
# to the main menu, and the game is left through the quit question. A run
# that never reaches the results screen never reaches the quit either, and
# ends by the timeout.
set -e
game=$1; kelvdata=$2; work=$3
. "$(dirname "$0")/script_steps.sh"
data_set "$work"
# The race's resolution (640 x 480), the fewest riders and the shortest races the options allow.
registry "$work/registry.txt" 1 MancheTime=00000002 NumPlayers=00000008 GameSkill=00000002 MPH=00000000 \
  ManualShift=00000000 GameWidth=00000280 GameHeight=000001e0
cd "$work"
status=0

# A scene change takes its two fades and the start of the new scene (under
# 40 frames); the race loads behind its loading screen and plays its intro,
# which Escape skips; the frames are presented at 60 a second at most, so
# RACING frames give at least that many sixtieths of a second of race time,
# past the start's countdown.
RACE_LOAD=120; RACING=900
# The main menu's single race, the player screen's OK, the way back of a
# plain screen; the pause dialog's first button (the dialog is centred on
# the screen).
SINGLE_RACE="320 130"; OK="510 420"; BACK="320 420"
END_RACE="320 135"; GRID_START="320 40"

# session NAME Y END: the script of one session whose button's centre is at
# (320, Y) on the event screen, the race's end awaited for END frames.
session() {
  begin "$1.txt"
  click $SINGLE_RACE $NEW_SCENE
  click $OK $NEW_SCENE
  if [ "$1" = moto ]; then
    # The first moto starts from its grid.
    click 320 "$2" $NEW_SCENE
    click $GRID_START $RACE_LOAD
  else
    click 320 "$2" $RACE_LOAD
  fi
  key ESCAPE $RACING
  key ESCAPE $QUESTION
  say shot "$1_paused.png"
  click $END_RACE "$3"
  say shot "$1_results.png"
  click $BACK $NEW_SCENE
  leave
}

# The sessions: name, the race type's button centre, the frames from the
# pause dialog's choice to the results (the fade-out of a session; the
# others' two minutes and last lap in a moto).
# The last number is the run's bound in seconds: the script counts frames,
# and a sanitized game on a busy machine may present a fraction of its 60 a
# second, so the moto's wait of 14000 frames can take far longer than its
# four minutes at the full rate.
for line in "practice 180 150 600" "qualifying 240 150 600" "moto 300 14000 1500"; do
  set -- $line
  session "$1" "$2" "$3"
  play "$1" "$4"
  # The game exits with 0 after a race that could not start as well: the
  # pictures of the pause and of the results show that it ran.
  shots "$1" "$1_paused" "$1_results"
done
exit $status
