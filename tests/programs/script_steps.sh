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
