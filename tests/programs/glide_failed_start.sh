#!/bin/sh
# glide_failed_start.sh KELVARRO_GLIDE KELVDATA WORKDIR
# Starts that fail end with a non-zero status, and say why on standard error:
# from a folder without the game's data (the game root named), with a damaged
# UI archive, and at the insert-disc prompt without a display (answered
# Cancel, once, with the AutoRun policy back as it was).
set -e
game=$1; kelvdata=$2; work=$3
rm -rf "$work"
mkdir -p "$work/empty" "$work/damaged" "$work/nodisc"
status=0

# run NAME FOLDER: runs the game in FOLDER with the registry file there.
run() {
  name=$1; folder=$2
  cd "$folder"
  set +e
  KELVARRO_CONFIG="$folder/registry.txt" timeout 60 "$game" > out.txt 2>&1
  code=$?
  set -e
  cat out.txt
  if [ "$code" -eq 0 ] || [ "$code" -eq 124 ]; then echo "$name: exit status $code"; status=1; fi
}

# expect NAME FOLDER TEXT: out.txt of FOLDER holds the line TEXT.
expect() {
  grep -qxF "$3" "$2/out.txt" || { echo "$1: no line: $3"; status=1; }
}

root=$(cd "$work/empty" && pwd -P)
run "wrong folder" "$root"
expect "wrong folder" "$root" \
  "Kelvarro: cannot start in $root: DATA\\UI.BBF is missing (start the game from its data folder, the one that holds DATA)"

root=$(cd "$work/damaged" && pwd -P)
"$kelvdata" dataset "$root"
printf 'not an archive' > "$root/DATA/UI.BBF"
run "damaged archive" "$root"
expect "damaged archive" "$root" "Kelvarro: cannot start in $root: DATA\\UI.BBF is not an archive the game can read"

root=$(cd "$work/nodisc" && pwd -P)
"$kelvdata" dataset "$root"
rm "$root/DATA/TRACK.BBF"
cat > "$root/registry.txt" <<'REG'
[HKEY_LOCAL_MACHINE\SOFTWARE\Ostrelmont\Kelvarro\1.00]
"Version"=dword:00000001
"Language"=dword:00000000
"CDPath"="X:\\"

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Policies\Explorer]
"NoDriveTypeAutoRun"=hex:91,00,00,00
REG
run "no disc" "$root"
expect "no disc" "$root" "Kelvarro: Please insert the Kelvarro CD-ROM."
[ "$(grep -c 'Please insert' "$root/out.txt")" -eq 1 ] || { echo "no disc: asked more than once"; status=1; }
grep -q '"NoDriveTypeAutoRun"=hex:91,00,00,00' "$root/registry.txt" || { echo "no disc: AutoRun not restored"; status=1; }

exit $status
