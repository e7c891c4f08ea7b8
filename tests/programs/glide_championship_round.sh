#!/bin/sh
# glide_championship_round.sh KELVARRO_GLIDE KELVDATA WORKDIR
# A championship round in kelvarro_glide on the synthetic data set, played
# with scripted clicks and keys, then continued after a restart.
# First run: the main menu's championship, the player screen, the round
# screen's practice; from the practice's pause dialog to the garage and
# back into the practice, which the pause dialog ends; the practice's
# results and on to qualifying, ended the same way; its results and on to
# the starting grid (the player set no time: the last place), whose start
# button starts the first moto; the player retires and the moto ends
# when the others have finished; its results, the points of the round, the
# second moto, ended the same way; its results, the standings, the next
# round; the round screen's save into slot 1; the game left through the
# championship's and the menu's questions.
# Between the runs the saved bike's engine is worn down to a half, as a
# hard round leaves it.
# Second run: the main menu's load, slot 1, the round screen of the second
# round, the garage: one repair of the engine, back to the round screen,
# saved into slot 2; the second round's practice started and ended; its
# results, the way back, the game left.
# Checks: each run's scenes in order (the debugger output's "scene N"
# lines), the first save's head (label, options, rounds), the second save's
# money and engine after the repair; the screenshots of every screen stay
# in WORKDIR.
set -e
game=$1; kelvdata=$2; work=$3
steps="$(cd "$(dirname "$0")" && pwd)/script_steps.sh"
rm -rf "$work"
mkdir -p "$work"
"$kelvdata" dataset "$work"
# The race's resolution (640 x 480), the fewest riders, the shortest races
# and the first skill class, without weather changes.
cat > "$work/registry.txt" <<'REG'
[HKEY_LOCAL_MACHINE\SOFTWARE\Ostrelmont\Kelvarro\1.00]
"Version"=dword:00000001
"Language"=dword:00000000
"MancheTime"=dword:00000002
"NumPlayers"=dword:00000008
"GameSkill"=dword:00000000
"Weather"=dword:00000000
"MPH"=dword:00000000
"ManualShift"=dword:00000000
"GameWidth"=dword:00000280
"GameHeight"=dword:000001e0
REG
cd "$work"
status=0
. "$steps"

# The race loads behind its loading screen and plays its intro, which
# Escape skips. After the player retires from a moto, the others ride the
# rest of its two minutes and a last lap: presented at 60 frames a second
# at most, MOTO_END frames outlast it.
RACE_LOAD=150; RACING=300; SESSION_END=150; MOTO_END=14000

# The main menu's championship, load and quit; the yes of a question; the
# player screen's OK.
CHAMPIONSHIP="320 186"; LOAD="320 354"; QUIT="320 410"; YES="250 280"; OK="510 420"
# The round screen's practice, garage, save and way back (the garage's and
# the results screens' way back are there as well).
PRACTICE="530 130"; GARAGE="530 280"; TO_SAVE="320 220"; BACK="320 420"
# The pause dialog (centred on the screen): end the session or retire, the
# garage.
END_RACE="320 135"; PIT="320 211"
# The garage's repair of the engine and its way on.
REPAIR_ENGINE="483 111"; GARAGE_ON="525 420"
# The starting grid's start (without waiting for its countdown).
START="320 40"
# The results screens' next session and, after a moto, the way to the
# round's own screens.
NEXT_SESSION="525 420"; ROUND_ON="115 420"
# The points between the motos: the second moto; the standings: the next
# round.
SECOND_MOTO="525 450"; NEXT_ROUND="525 450"
# The save and load screens' first slot and their save or load button.
SLOT1="130 128"; SLOT2="130 188"; SAVE_OR_LOAD="510 420"

leave() {
  click $QUIT $QUESTION
  click $YES $NEW_SCENE
  key RETURN $NEW_SCENE
  key RETURN 1
}

# race NAME: the intro skipped, some racing, the pause dialog.
race() {
  pause $RACE_LOAD
  key ESCAPE $RACING
  key ESCAPE $QUESTION
  say shot "$1_paused.png"
}

# save LABEL: from the round screen into slot 1 (or the slot clicked at
# $2 $3) under LABEL, back on the round screen.
save() {
  click $TO_SAVE $NEW_SCENE
  click $2 $3 $SAME_SCENE
  say key-down SHIFT; pause 1
  typed "$1"
  say key-up SHIFT; pause $SAME_SCENE
  say shot "save_$1.png"
  click $SAVE_OR_LOAD $NEW_SCENE
}

begin first.txt
click $CHAMPIONSHIP $NEW_SCENE
say shot player.png
click $OK $NEW_SCENE
say shot round.png
click $PRACTICE 0
race practice
click $PIT $SESSION_END
say shot practice_garage.png
# Back into the practice where it was left: no intro this time.
click $GARAGE_ON $RACE_LOAD
key ESCAPE $QUESTION
say shot practice_resumed.png
click $END_RACE $SESSION_END
say shot practice_results.png
click $NEXT_SESSION 0
race qualifying
click $END_RACE $SESSION_END
say shot qualifying_results.png
click $NEXT_SESSION $NEW_SCENE
say shot grid.png
click $START 0
race moto1
click $END_RACE $MOTO_END
say shot moto1_results.png
click $ROUND_ON $NEW_SCENE
say shot between_motos.png
click $SECOND_MOTO 0
race moto2
click $END_RACE $MOTO_END
say shot moto2_results.png
click $ROUND_ON $NEW_SCENE
say shot standings.png
click $NEXT_ROUND $NEW_SCENE
say shot next_round.png
save ROUND $SLOT1
click $BACK $QUESTION
click $YES $NEW_SCENE
leave

begin second.txt
click $LOAD $NEW_SCENE
click $SLOT1 $SAME_SCENE
say shot load.png
click $SAVE_OR_LOAD $NEW_SCENE
say shot loaded_round.png
click $GARAGE $NEW_SCENE
click $REPAIR_ENGINE $SAME_SCENE
say shot garage_repaired.png
click $BACK $NEW_SCENE
save AGAIN $SLOT2
click $PRACTICE 0
race second_practice
click $END_RACE $SESSION_END
say shot second_practice_results.png
click $BACK $NEW_SCENE
leave

run() {
  set +e
  KELVARRO_DEBUG_OUTPUT=1 KELVARRO_CONFIG="$work/registry.txt" KELVARRO_CD="$work/CD/KELVARRO.CUE" \
    KELVARRO_SCRIPT="$work/$1.txt" timeout 2400 "$game" > "$1.out" 2>&1
  code=$?
  set -e
  [ "$code" -eq 0 ] || { tail -20 "$1.out"; echo "$1: exit status $code"; status=1; }
}

# scenes RUN EXPECTED: the run's scenes in order, without the start-up
# movies before the main menu; a race scene (any after the front end's 33)
# reads R.
scenes() {
  seen=$(sed -n 's/^scene \([0-9]*\)$/\1/p' "$1.out" | sed '1,/^0$/d' |
    awk '{ print ($1 >= 33 ? "R" : $1) }' | tr '\n' ' ' | sed 's/ $//')
  [ "$seen" = "$2" ] || { echo "$1: the scenes were: $seen"; echo "$1: expected:       $2"; status=1; }
}

run first
# Main menu, player, round, practice, garage, the practice again, its
# results, qualifying, its results, the grid, moto 1, its results, the
# points, moto 2, its results, the standings, the next round, the save
# screen and back, the main menu, the credits.
scenes first "1 18 R 5 R 12 R 13 22 R 11 26 R 11 9 18 8 18 0 28"
if [ ! -f DATA/SAVE/01.SVD ]; then
  echo "first: no save game in slot 1"; ls DATA/SAVE; exit 1
fi
# bytes FILE OFFSET COUNT: the bytes in hexadecimal, one blank apart.
bytes() { od -An -tx1 -j"$2" -N"$3" "$1" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }
# The save's head: the label "ROUND", skill 0, 8 riders, 2 minutes,
# damages on, weather off, current round 1, previous round 0.
head_expected="06 00 00 00 52 4f 55 4e 44 00 00 08 00 00 00 02 00 01 00 01 00 00 00"
[ "$(bytes DATA/SAVE/01.SVD 0 23)" = "$head_expected" ] ||
  { echo "first: the save begins $(bytes DATA/SAVE/01.SVD 0 23)"; status=1; }
# After the label (10 bytes) and the fields up to the chosen rider (17),
# the player's name (its u32 length first), the money (u16) and the engine.
name_length=$(od -An -tu4 -j27 -N4 DATA/SAVE/01.SVD | tr -d ' ')
money_at=$((31 + name_length))
money=$(od -An -tu2 -j$money_at -N2 DATA/SAVE/01.SVD | tr -d ' ')
# The engine at a half: 0.5 as a little-endian f32.
printf '\000\000\000\077' | dd of=DATA/SAVE/01.SVD bs=1 seek=$((money_at + 2)) conv=notrunc 2>/dev/null

run second
scenes second "7 18 5 18 8 18 R 12 0 28"
if [ ! -f DATA/SAVE/02.SVD ]; then
  echo "second: no save game in slot 2"; ls DATA/SAVE; exit 1
fi
# The second save (its label "AGAIN" as long as the first's): the money
# less one step of the engine's repair (200 in the first skill class) and
# the engine at 0.6.
repaired=$(od -An -tu2 -j$money_at -N2 DATA/SAVE/02.SVD | tr -d ' ')
[ "$repaired" -eq $((money - 200)) ] || { echo "second: money $repaired after the repair, $money before"; status=1; }
[ "$(bytes DATA/SAVE/02.SVD $((money_at + 2)) 4)" = "9a 99 19 3f" ] ||
  { echo "second: the engine saved as $(bytes DATA/SAVE/02.SVD $((money_at + 2)) 4)"; status=1; }
exit $status
