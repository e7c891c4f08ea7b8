#!/bin/sh
# glide_championship_restart.sh KELVARRO_GLIDE KELVDATA WORKDIR
# The options and a saved championship survive a restart of kelvarro_glide,
# played with scripted clicks and keys on the synthetic data set.
# First run: the options screen makes races longer (6 -> 10 minutes) and
# switches miles per hour on; a championship starts and is saved in slot 1
# under a typed label; the game is left through the menu's quit question.
# Second run: it finds those options in the configuration, makes races
# longer again (12) and switches miles per hour off, then loads the
# championship from slot 1, which brings back its own race length (10) but
# not miles per hour; the game is left the same way.
set -e
game=$1; kelvdata=$2; work=$3
. "$(dirname "$0")/script_steps.sh"
data_set "$work"
registry "$work/registry.txt" 1 MancheTime=00000006 NumPlayers=0000000c GameSkill=00000002 MPH=00000000 \
  ManualShift=00000001
cd "$work"
status=0

# The main menu's buttons, the options screen's, the way back.
CHAMPIONSHIP="320 186"; OPTIONS="320 298"; LOAD="320 354"
LONGER="320 220"; MPH="320 280"; BACK="320 420"
# The player screen's OK, the championship menu's way to the save screen,
# the slot screens' first slot and their save or load button.
OK="510 420"; TO_SAVE="320 220"; SLOT1="130 128"; SAVE_OR_LOAD="510 420"

begin first.txt
click $OPTIONS $NEW_SCENE
click $LONGER $SAME_SCENE
click $LONGER $SAME_SCENE
click $MPH $SAME_SCENE
click $BACK $NEW_SCENE
click $CHAMPIONSHIP $NEW_SCENE
click $OK $NEW_SCENE
click $TO_SAVE $NEW_SCENE
click $SLOT1 $SAME_SCENE
say key-down SHIFT; pause 1
typed RUN1
say key-up SHIFT; pause $SAME_SCENE
# Pictures to look at when the test fails.
say shot first_save.png
click $SAVE_OR_LOAD $NEW_SCENE
click $BACK $QUESTION
click $YES $NEW_SCENE
leave

begin second.txt
click $OPTIONS $NEW_SCENE
click $LONGER $SAME_SCENE
click $MPH $SAME_SCENE
click $BACK $NEW_SCENE
click $LOAD $NEW_SCENE
click $SLOT1 $SAME_SCENE
click $SAVE_OR_LOAD $NEW_SCENE
say shot second_loaded.png
click $BACK $QUESTION
click $YES $NEW_SCENE
leave

# The save's first bytes: the label (length with its NUL, text), skill,
# rider count, race length, damages and weather.
saved_head() { od -An -tx1 -N18 DATA/SAVE/01.SVD | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }
head_expected="05 00 00 00 52 55 4e 31 00 02 0c 00 00 00 0a 00 01 01"

play first 120
expect first MancheTime 0000000a
expect first MPH 00000001
expect first GameSkill 00000002
expect first NumPlayers 0000000c
expect first ManualShift 00000001
if [ ! -f DATA/SAVE/01.SVD ]; then
  echo "first: no save game in slot 1"; ls DATA/SAVE; exit 1
fi
[ "$(saved_head)" = "$head_expected" ] || { echo "first: the save begins $(saved_head)"; status=1; }
cp DATA/SAVE/01.SVD saved.svd

play second 120
expect second MancheTime 0000000a
expect second MPH 00000000
expect second GameSkill 00000002
expect second NumPlayers 0000000c
expect second ManualShift 00000001
cmp -s saved.svd DATA/SAVE/01.SVD || { echo "second: the save game changed"; status=1; }
for n in 02 03 04; do
  [ ! -e DATA/SAVE/$n.SVD ] || { echo "a save game in slot $n"; status=1; }
done
exit $status
