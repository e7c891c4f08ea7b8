# Sourced by the program tests that start the games on the synthetic data
# set and play them through a KELVARRO_SCRIPT file: the work folder and its
# configuration, the script's steps counted in presented frames, the run and
# the checks of what it left. A caller sets $kelvdata and $game (the program
# a run starts), $script (the file written) and $frame (where it starts).

# data_set FOLDER: a fresh copy of the synthetic data set in FOLDER.
data_set() {
  rm -rf "$1"
  mkdir -p "$1"
  "$kelvdata" dataset "$1"
}

# registry FILE VERSION [NAME=VALUE...]: a configuration for the
# installation's VERSION (1 Glide, 0 Direct3D) in the first language, with
# each NAME as the dword VALUE (eight hexadecimal digits).
registry() {
  file=$1; version=$2; shift 2
  {
    printf '%s\n' '[HKEY_LOCAL_MACHINE\SOFTWARE\Ostrelmont\Kelvarro\1.00]'
    printf '"Version"=dword:%08x\n"Language"=dword:00000000\n' "$version"
    for value in "$@"; do printf '"%s"=dword:%s\n' "${value%%=*}" "${value#*=}"; done
  } > "$file"
}
# The race at 640 x 480 with the fewest riders, the shortest races, the
# hardest skill class, km/h, the automatic gearbox and the near camera.
RACE_SETTINGS="MancheTime=00000002 NumPlayers=00000008 GameSkill=00000002 MPH=00000000 ManualShift=00000000
  CameraType=00000001 GameWidth=00000280 GameHeight=000001e0"

# A click moves the cursor to the top-left corner, then to (X, Y) on the
# 640 x 480 screen, and presses the left button there; then the script waits
# some frames. A scene change takes its two fades and the start of the new
# scene (0.6 s, under 40 frames at the 60 frames a second a scripted run
# presents at most); a question box opens at once.
NEW_SCENE=50; QUESTION=30; SAME_SCENE=10
# The main menu's quit and the yes of a question.
QUIT="320 410"; YES="250 280"

say() { echo "$frame $*" >> "$script"; }
pause() { frame=$((frame + $1)); }
click() {
  say mouse-move -4000 -4000; pause 2
  say mouse-move "$1" "$2"; pause 4
  say mouse-down LEFT; pause 2
  say mouse-up LEFT; pause "$3"
}
# key NAME FRAMES: a key pressed and released, then a wait.
key() {
  say key-down "$1"; pause 1
  say key-up "$1"; pause "$2"
}
# typed TEXT: each character's key, one after the other.
typed() {
  for k in $(echo "$1" | sed 's/./& /g'); do
    key "$k" 1
  done
}
# begin FILE: a new script; the start-up movie presents no frames of the
# board, and the main menu has faded in within its first 30 frames.
begin() { script=$1; rm -f "$script"; frame=80; }
# leave [QUIT-SHOT CREDITS-SHOT]: from the main menu through the quit
# question and the credits, with pictures of the question and the credits
# when named.
leave() {
  click $QUIT $QUESTION
  [ -z "$1" ] || say shot "$1.png"
  click $YES $NEW_SCENE
  [ -z "$2" ] || say shot "$2.png"
  # A key to end the credits, and a second one in case the first came early.
  key RETURN $NEW_SCENE
  key RETURN 1
}

# play RUN SECONDS [NAME=VALUE...]: the game plays the script RUN.txt in the
# current folder, on the data set and the configuration (registry.txt) there,
# with the environment given, within SECONDS; its output and debugger output
# are in RUN.out. An exit status other than 0 is reported with the end of the
# output and sets status to 1.
play() {
  run=$1; seconds=$2; shift 2
  code=0
  env KELVARRO_CONFIG="$PWD/registry.txt" KELVARRO_CD="$PWD/CD/KELVARRO.CUE" KELVARRO_SCRIPT="$PWD/$run.txt" "$@" \
    timeout "$seconds" "$game" > "$run.out" 2>&1 || code=$?
  if [ "$code" -ne 0 ]; then
    grep -v '^Fallita getheight' "$run.out" | tail -n 100
    echo "$run: exit status $code"
    status=1
  fi
}

# scenes RUN EXPECTED [after-menu]: the scenes RUN entered, in order (the
# "scene N" lines of KELVARRO_DEBUG_OUTPUT in RUN.out), are EXPECTED; with
# after-menu, those after the first main menu (scene 0), leaving out the
# start-up movies.
scenes() {
  seen=$(sed -n 's/^scene \([0-9]*\)$/\1/p' "$1.out" | { if [ "$3" = after-menu ]; then sed '1,/^0$/d'; else cat; fi } |
    tr '\n' ' ' | sed 's/ $//')
  [ "$seen" = "$2" ] || { echo "$1: the scenes were: $seen"; echo "$1: expected:       $2"; status=1; }
}

# shots RUN NAME...: RUN left a picture NAME.png of each screen named.
shots() {
  run=$1; shift
  for shot in "$@"; do
    [ -s "$shot.png" ] || { echo "$run: no picture $shot.png"; status=1; }
  done
}

# compare SHOT REFERENCE PIXEL...: the picture SHOT against
# $references/REFERENCE and the pixels given, by $check (which leaves a
# picture that differs from its reference in the current folder).
compare() {
  shot=$1; reference=$2; shift 2
  if [ ! -s "$shot" ]; then
    echo "$shot: no picture"; status=1; return
  fi
  "$check" "$shot" "$references/$reference" "$@" || status=1
}

# expect RUN NAME VALUE: the configuration (registry.txt in the current
# folder) holds NAME as the dword VALUE.
expect() {
  grep -qx "\"$2\"=dword:$3" registry.txt || { echo "$1: no $2=$3"; grep "\"$2\"" registry.txt; status=1; }
}

# reaches_menu NAME GAME [NAME=VALUE...]: GAME, in the current folder with
# the configuration there (registry.txt) and the environment given, reaches
# its main menu, whose frame well after its fade-in is written to NAME.png;
# SIGTERM then ends it through its own shutdown (status 143), having
# reported no error. Its output is in NAME.out.
reaches_menu() {
  name=$1; program=$2; shift 2
  rm -f "$name.png"
  env KELVARRO_CONFIG="$PWD/registry.txt" KELVARRO_CD="$PWD/CD/KELVARRO.CUE" KELVARRO_SCREENSHOT="$PWD/$name.png" \
    KELVARRO_SCREENSHOT_FRAME=60 "$@" "$program" > "$name.out" 2>&1 &
  pid=$!
  i=0
  while [ ! -s "$name.png" ]; do
    i=$((i + 1))
    if [ $i -gt 1200 ] || ! kill -0 $pid 2>/dev/null; then
      cat "$name.out"; echo "$name: no main menu"; kill -KILL $pid 2>/dev/null; exit 1
    fi
    sleep 0.1
  done
  sleep 0.5
  kill -TERM $pid
  code=0
  wait $pid || code=$?
  cat "$name.out"
  [ "$code" -eq 143 ] || { echo "$name: exit status $code"; exit 1; }
  if grep -qi "error" "$name.out"; then echo "$name: an error was reported"; exit 1; fi
}
