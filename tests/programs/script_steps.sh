# Sourced by the program tests that play kelvarro_glide through a
# KELVARRO_SCRIPT file: the script's steps, counted in presented frames.
# A caller sets $script (the file written) and $frame (where it starts).
#
# A click moves the cursor to the top-left corner, then to (X, Y) on the
# 640 x 480 screen, and presses the left button there; then the script waits
# some frames. A scene change takes its two fades and the start of the new
# scene (0.6 s, under 40 frames at the 60 frames a second a scripted run
# presents at most); a question box opens at once.
NEW_SCENE=50; QUESTION=30; SAME_SCENE=10

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

# expect RUN NAME VALUE: the configuration (registry.txt in the current
# folder) holds NAME as the dword VALUE.
expect() {
  grep -qx "\"$2\"=dword:$3" registry.txt || { echo "$1: no $2=$3"; grep "\"$2\"" registry.txt; status=1; }
}

# reaches_menu GAME: GAME (with KELVARRO_CONFIG as exported) reaches its
# main menu, whose frame well after its fade-in is written to menu.png;
# SIGTERM then ends it through its own shutdown (status 143), having
# reported no error. Its output is in out.txt.
reaches_menu() {
  rm -f menu.png
  KELVARRO_CD="$PWD/CD/KELVARRO.CUE" KELVARRO_SCREENSHOT="$PWD/menu.png" KELVARRO_SCREENSHOT_FRAME=60 \
    "$1" > out.txt 2>&1 &
  pid=$!
  i=0
  while [ ! -s menu.png ]; do
    i=$((i + 1))
    if [ $i -gt 1200 ] || ! kill -0 $pid 2>/dev/null; then
      cat out.txt; echo "no main menu"; kill -KILL $pid 2>/dev/null; exit 1
    fi
    sleep 0.1
  done
  sleep 0.5
  kill -TERM $pid
  set +e
  wait $pid
  status=$?
  set -e
  cat out.txt
  [ "$status" -eq 143 ] || { echo "exit status $status"; exit 1; }
  if grep -qi "error" out.txt; then echo "an error was reported"; exit 1; fi
}
