# Shared by the net_race_*.sh scripts: machines of one network race, each a
# kelvarro_glide process in its own copy of the synthetic data set with its
# own configuration, front-end command script, input script and capture
# file, on a port of the loopback chosen from the script's process id.
#
# The lobby is driven by command scripts (the host opens "DIRT CUP"; a client
# lists it, joins, picks the rider page after the ones taken and waits on
# the players screen for the race start). The riders, in frames of the
# input script: from RIDE, the throttle and a left turn held, riding in
# circles (a rider that faces backwards for 10 s is out of the race and its
# machine sends no more states; one that circles stays in). RIDE is past the
# lobby on a busy machine (the race starts near frame 1300 there); keys that
# come while a machine is still in the lobby move its focus.
#
# With open-loop input no rider reliably completes its laps, so a race that
# is to reach its results has every rider put out by the race's own rule:
# from frame RETIRE (when set; past a minute of racing at the game's full
# frame rate, later in race time on a slower machine) the rider brakes to a
# stop and waits, then circles for a moment and stops again, and so on.
# Circling turns the bike by some 40 to 160 degrees between two stops, the
# spells differing so that the stops do not fall into a cycle of headings
# that misses the third of a turn in which the bike faces backwards; one of
# the stops faces backwards for the 10 s that put the rider out. The riders
# circle close together and knock each other about (a crash restarts the
# rider's wrong-way time), so the stops go on for the whole of the race's
# span rather than the few that usually do it.
# Other races are watched for a fixed span of their clock and stopped.
#
# The games keep the machine's real clock (no KELVARRO_FRAME_CLOCK): the
# capture files of the machines are compared on it, and a frame clock of
# each process's own would run at each one's frame rate.
game=$1; kelvdata=$2; check=$3; work=$4
. "$(dirname "$0")/script_steps.sh"
RIDE=1500
port=$((21000 + $$ % 20000))
pids=""
rm -rf "$work"
data_set "$work/data" > /dev/null

fail() {
  echo "$1"
  stop_all
  for m in "$work"/m*; do
    [ -f "$m/out.txt" ] && { echo "--- $m/out.txt"; grep -v "getheight" "$m/out.txt" | tail -n 20; }
    # The messages, then where the machine's own rider was at its last ticks.
    [ -f "$m/net.log" ] && {
      echo "--- $m/net.log"
      grep -v "POS\|SNAPSHOT\|RIDER_STATE\|TICK\|RACE_CLOCK\|FACTORS\|COND" "$m/net.log" | tail -n 30
      grep "POS slot=0" "$m/net.log" | tail -n 5
    }
  done
  exit 1
}

stop_all() {
  for p in $pids; do kill -KILL "$p" 2>/dev/null || true; done
  pids=""
}

# machine NAME ROLE ROW: lays out machine NAME (host, or client joining
# session row 0 and taking rider page ROW).
machine() {
  m="$work/$1"
  mkdir -p "$m"
  cp -r "$work/data/." "$m/"
  registry "$m/registry.txt" 1 MancheTime=00000002 GameSkill=00000002 GameWidth=00000280 GameHeight=000001e0
  {
    echo "await scene 0"
    echo "wait 20"
    echo "command 57 0 0"
    echo "await scene 14"
    echo "command 61 1 0"
    echo "edit 0 127.0.0.1"
    echo "command 63 0 0"
    echo "await scene 15"
    if [ "$2" = host ]; then
      echo "edit 0 DIRT CUP"
      echo "command 66 0 0"
    else
      echo "command 65 11 0"
      echo "await sessions 1"
      echo "command 65 4 0"
      echo "command 66 1 0"
    fi
    echo "await scene 1"
    echo "wait 30"
    echo "page 0 $3"
    echo "command 51 0 0"
    echo "await scene 21"
    if [ "$2" = host ]; then
      echo "await players $PLAYERS"
      echo "await riders $PLAYERS"
      echo "wait 60"
      echo "command 24 2 0"
      echo "command 71 0 0"
    else
      echo "command 0 16 0"
    fi
  } > "$m/commands.txt"
  {
    echo "$RIDE key-down A"
    echo "$RIDE key-down LEFT"
    if [ -n "$RETIRE" ]; then
      # Stops of 700 frames (11 s at the full frame rate), then 75 to 165
      # frames of circling.
      f=$RETIRE
      for round in 1 2 3 4 5 6 7 8; do
        for spell in 120 75 165 100 140; do
          echo "$f key-up A"
          echo "$f key-down Z"
          echo "$((f + 700)) key-up Z"
          echo "$((f + 700)) key-down A"
          f=$((f + 700 + spell))
        done
      done
    fi
  } > "$m/input.txt"
}

# start NAME [ENV...]: runs machine NAME in the background; its pid is in
# the variable pid_NAME.
start() {
  name=$1; shift
  m="$work/$name"
  (cd "$m" && exec env KELVARRO_CONFIG="$m/registry.txt" KELVARRO_CD="$m/CD/KELVARRO.CUE" \
    KELVARRO_COMMANDS="$m/commands.txt" KELVARRO_SCRIPT="$m/input.txt" KELVARRO_NET_LOG="$m/net.log" \
    KELVARRO_NET_PORT=$port KELVARRO_NET_PEER_TIMEOUT=20000 "$@" "$game" > "$m/out.txt" 2>&1) &
  eval "pid_$name=$!"
  pids="$pids $!"
}

# await NAME PATTERN SECONDS: until NAME's capture file has a matching line.
await() {
  i=0
  while ! grep -q "$2" "$work/$1/net.log" 2>/dev/null; do
    i=$((i + 1))
    [ $i -gt $(($3 * 5)) ] && fail "$1: no \"$2\" within $3 s"
    sleep 0.2
  done
}

# race_clock NAME SECONDS LIMIT: until NAME, the host, has sent a race clock
# of SECONDS (a multiple of 15) or more.
race_clock() {
  i=0
  while ! awk -v want=$(($2 * 1000 - 500)) '$2 == "SEND" && $3 == "RACE_CLOCK" { for (k = 4; k <= NF; k++) if ($k ~ /^value=/) { split($k, v, "="); if (v[2] + 0 >= want) found = 1 } } END { exit !found }' "$work/$1/net.log" 2>/dev/null; do
    i=$((i + 1))
    [ $i -gt $(($3 * 2)) ] && fail "$1: the race clock did not reach $2 s within $3 s"
    sleep 0.5
  done
}
