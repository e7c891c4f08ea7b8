#!/bin/sh
# glide_championship_round.sh KELVARRO_GLIDE KELVDATA WORKDIR
# A championship round in kelvarro_glide on the synthetic data set, played
# with scripted clicks and keys on the frame clock (KELVARRO_FRAME_CLOCK=1:
# frame n shows the same moment of the game on every run and machine),
# then continued after a restart.
# First run: the main menu's championship, the player screen, the round
# screen's practice; from the practice's pause dialog to the garage and
# back into the practice, which the pause dialog ends; the practice's
# results and on to qualifying, ended the same way; its results and on to
# the starting grid (the player set no time: the last place), whose start
# button starts the first moto; the player retires, the moto ends and its
# action replay shows what was ridden; its results, the points of the
# round, the second moto, ended the same way; its results, the standings,
# the next round; the round screen's save into slot 1; the game left
# through the championship's and the menu's questions.
# Between the runs the saved bike's engine is worn down to a half, as a
# hard round leaves it.
# Second run: the main menu's load, slot 1, the round screen of the second
# round, the garage: one repair of the engine, back to the round screen,
# saved into slot 2; the second round's practice started and ended; its
# results, the way back, the game left.
# Checks: each run's scenes in order (the debugger output's "scene N"
# lines); the first save's head (label, options, rounds), money and result
# tables (the places and no-score marks of both motos, the rounds played);
# the action replay's file gone once the replays ended; the second save's
# money and engine after the repair and its tables as loaded; a picture of
# every screen passed, left in WORKDIR.
set -e
game=$1; kelvdata=$2; work=$3
. "$(dirname "$0")/script_steps.sh"
data_set "$work"
# The race's resolution (640 x 480), the fewest riders, the shortest races
# and the first skill class, without weather changes.
registry "$work/registry.txt" 1 MancheTime=00000002 NumPlayers=00000008 GameSkill=00000000 Weather=00000000 \
  MPH=00000000 ManualShift=00000000 GameWidth=00000280 GameHeight=000001e0
cd "$work"
status=0

# Frames of the frame clock (16 or 17 ms each). The race loads behind its
# loading screen within RACE_LOAD frames of the click and starts its intro,
# whose fly-in Escape cuts short in a moto (to 10.1 s of the 15.5 s before
# the start); in practice and qualifying it runs 9.4 s whatever the keys.
# RACING frames after that Escape the race has started in either, and
# Escape opens the pause dialog. A session left through the pause dialog
# ends 2 s later and its results or the garage have faded in some 140
# frames after the click: SESSION_END frames leave room. A moto
# the player retires from ends 2 s later, its action replay then shows what
# was ridden and the results follow: 550 frames after the click on this
# run, REPLAY + MOTO_END with some to spare.
RACE_LOAD=150; RACING=600; SESSION_END=200; REPLAY=300; MOTO_END=500

# The main menu's championship and load; the player screen's OK.
CHAMPIONSHIP="320 186"; LOAD="320 354"; OK="510 420"
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
# The results screens' way on: the next session, or after a moto the
# round's own screens.
NEXT_SESSION="525 420"; ROUND_ON="525 420"
# The points between the motos: the second moto; the standings: the next
# round.
SECOND_MOTO="525 450"; NEXT_ROUND="525 450"
# The save and load screens' first slot and their save or load button.
SLOT1="130 128"; SLOT2="130 188"; SAVE_OR_LOAD="510 420"

# race NAME: the intro cut short where it can be, some racing, the pause
# dialog.
race() {
  pause $RACE_LOAD
  key ESCAPE $RACING
  key ESCAPE $QUESTION
  say shot "$1_paused.png"
}

# moto NAME: the moto raced, the player retired; its replay and results.
moto() {
  race "$1"
  click $END_RACE $REPLAY
  say shot "$1_replay.png"
  pause $MOTO_END
  say shot "$1_results.png"
}

# save LABEL X Y: from the round screen into the slot clicked at (X, Y)
# under LABEL, back on the round screen.
save() {
  click $TO_SAVE $NEW_SCENE
  click $2 $3 $SAME_SCENE
  say key-down SHIFT; pause 1
  typed "$1"
  say key-up SHIFT; pause $SAME_SCENE
  say shot "save_$1.png"
  click $SAVE_OR_LOAD $NEW_SCENE
  say shot "saved_$1.png"
}

begin first.txt
say shot menu.png
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
moto moto1
click $ROUND_ON $NEW_SCENE
say shot between_motos.png
click $SECOND_MOTO 0
moto moto2
click $ROUND_ON $NEW_SCENE
say shot standings.png
click $NEXT_ROUND $NEW_SCENE
say shot next_round.png
save ROUND $SLOT1
click $BACK $QUESTION
say shot abandon.png
click $YES $NEW_SCENE
leave quit credits
first_shots="menu player round practice_paused practice_garage practice_resumed practice_results
  qualifying_paused qualifying_results grid moto1_paused moto1_replay moto1_results between_motos
  moto2_paused moto2_replay moto2_results standings next_round save_ROUND saved_ROUND abandon quit credits"

begin second.txt
say shot second_menu.png
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
leave second_quit second_credits
second_shots="second_menu load loaded_round garage_repaired save_AGAIN saved_AGAIN second_practice_paused
  second_practice_results second_quit second_credits"

# bytes FILE OFFSET COUNT: the bytes in hexadecimal, one blank apart.
bytes() { od -An -tx1 -v -j"$2" -N"$3" "$1" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }

play first 540 KELVARRO_FRAME_CLOCK=1 KELVARRO_DEBUG_OUTPUT=1
# The scenes after the start-up movies and the main menu: the player, round,
# practice, garage, the practice again, its results, qualifying, its
# results, the grid, moto 1, its results, the points, moto 2, its results,
# the standings, the next round, the save screen and back, the main menu,
# the credits. The data set's first round races on the course of scene 33,
# the second on that of scene 34.
scenes first "1 18 33 5 33 12 33 13 22 33 11 26 33 11 9 18 8 18 0 28" after-menu
shots first $first_shots
if [ ! -f DATA/SAVE/01.SVD ]; then
  echo "first: no save game in slot 1"; ls DATA/SAVE; exit 1
fi
# Each moto's action replay ran to its end, which deletes its file.
[ ! -e DATA/1.RPY ] || { echo "first: the action replay's file DATA/1.RPY is left"; status=1; }
# The save's head: the label "ROUND", skill 0, 8 riders, 2 minutes,
# damages on, weather off, current round 1, previous round 0, the current
# round's weather clear, the first rider chosen.
head_expected="06 00 00 00 52 4f 55 4e 44 00 00 08 00 00 00 02 00 01 00 01 00 00 00 00 00 00 00"
[ "$(bytes DATA/SAVE/01.SVD 0 27)" = "$head_expected" ] ||
  { echo "first: the save begins $(bytes DATA/SAVE/01.SVD 0 27)"; status=1; }
# After the label (10 bytes) and the fields up to the chosen rider (17),
# the player's name (its u32 length first), the money (u16), the bike's
# five conditions and its set-up of 28 values (f32 each), then the tables.
name_length=$(od -An -tu4 -j27 -N4 DATA/SAVE/01.SVD | tr -d ' ')
money_at=$((31 + name_length))
tables_at=$((money_at + 2 + 5 * 4 + 28 * 4))
money=$(od -An -tu2 -j$money_at -N2 DATA/SAVE/01.SVD | tr -d ' ')
# The start money of the first skill class: without a budget no entry fee
# is paid, and a rider who retired wins no prize.
[ "$money" -eq 3000 ] || { echo "first: money $money saved after the round, 3000 expected"; status=1; }

# The tables, per rider a byte for each moto of each round: the places,
# then the no-score marks; then a played mark per round. With 8 riders a
# round takes 33 bytes; the data set has 10.
size=$(wc -c < DATA/SAVE/01.SVD)
rounds=$(((size - tables_at) / 33))
if [ "$rounds" -ne 10 ] || [ $((tables_at + 33 * rounds)) -ne "$size" ]; then
  echo "first: $size bytes, the tables from $tables_at do not hold 10 rounds"; status=1
else
  # The player retired from both motos: last place, no score. The others
  # share the places 1 to 7 in each moto and score. Only the first round
  # is played and holds results.
  od -An -tu1 -v -j$tables_at DATA/SAVE/01.SVD | tr -s ' \n' '\n' | sed '/^$/d' | awk -v R="$rounds" -v N=8 '
    { b[NR - 1] = $1 }
    function fail(why) { print "first: the save " why; bad = 1 }
    END {
      for (m = 0; m < 2; ++m) {
        if (b[m] != N || b[2 * N * R + m] != 1) fail("places the player " b[m] " (no score " b[2 * N * R + m] ") in moto " m + 1)
        split("", seen)
        for (s = 1; s < N; ++s) {
          p = b[2 * R * s + m]
          if (p < 1 || p >= N || (p in seen)) fail("places rider " s " " p " in moto " m + 1)
          seen[p] = 1
          if (b[2 * N * R + 2 * R * s + m] != 0) fail("gives rider " s " no score in moto " m + 1)
        }
      }
      for (s = 0; s < N; ++s)
        for (i = 2; i < 2 * R; ++i)
          if (b[2 * R * s + i] != 0 || b[2 * N * R + 2 * R * s + i] != 0) fail("holds results of round " int(i / 2) + 1)
      for (r = 0; r < R; ++r)
        if (b[4 * N * R + r] != (r == 0)) fail("marks round " r + 1 " played " b[4 * N * R + r])
      exit bad
    }' || status=1
fi
# The engine at a half: 0.5 as a little-endian f32.
printf '\000\000\000\077' | dd of=DATA/SAVE/01.SVD bs=1 seek=$((money_at + 2)) conv=notrunc 2>/dev/null

play second 540 KELVARRO_FRAME_CLOCK=1 KELVARRO_DEBUG_OUTPUT=1
# The load screen, the second round's screen, the garage and back, the save
# screen and back, the second round's practice on its own course, its
# results, the main menu, the credits.
scenes second "7 18 5 18 8 18 34 12 0 28" after-menu
shots second $second_shots
if [ ! -f DATA/SAVE/02.SVD ]; then
  echo "second: no save game in slot 2"; ls DATA/SAVE; exit 1
fi
# The second save (its label "AGAIN" as long as the first's): the money
# less one step of the engine's repair (200 in the first skill class), the
# engine at 0.6, and the tables as the first save held them.
repaired=$(od -An -tu2 -j$money_at -N2 DATA/SAVE/02.SVD | tr -d ' ')
[ "$repaired" -eq $((money - 200)) ] || { echo "second: money $repaired after the repair, $money before"; status=1; }
[ "$(bytes DATA/SAVE/02.SVD $((money_at + 2)) 4)" = "9a 99 19 3f" ] ||
  { echo "second: the engine saved as $(bytes DATA/SAVE/02.SVD $((money_at + 2)) 4)"; status=1; }
[ "$(bytes DATA/SAVE/02.SVD $tables_at $((size - tables_at)))" = "$(bytes DATA/SAVE/01.SVD $tables_at $((size - tables_at)))" ] &&
  [ "$(wc -c < DATA/SAVE/02.SVD)" -eq "$size" ] || { echo "second: the tables differ from the loaded save's"; status=1; }
exit $status
