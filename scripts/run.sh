#!/bin/sh
# run.sh [glide|dx]: builds the games and the setup program (Release, no
# sanitizers), lays out the synthetic data set in build-run/data-root with
# the configuration that an installation of that build would have written,
# and starts kelvarro_glide (the default) or kelvarro_dx there. The game reads its
# environment: KELVARRO_WINDOW=WIDTHxHEIGHT for a plain window,
# KELVARRO_SCREENSHOT=file.png for a picture of the first presented frame
# (KELVARRO_SCREENSHOT_FRAME=n for the n-th one, the main menu from about 60),
# KELVARRO_CD=disc.cue for another disc image than the data set's.
set -e
cd "$(dirname "$0")/.."
BUILD_KIND=${1:-glide}
case "$BUILD_KIND" in
  glide|dx) ;;
  *) echo "run.sh: unknown build '$BUILD_KIND' (glide or dx)" >&2; exit 2 ;;
esac
./scripts/deps.sh
BUILD=${KELV_RUN_BUILD:-build-run}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELV_SANITIZE=OFF -DKELV_FUZZ=OFF \
  -DKELV_TESTS=OFF -DKELV_BENCH=OFF
cmake --build "$BUILD" --target kelvarro_glide kelvarro_dx kelvsetup kelvdata

REPO="$PWD"
ROOT="$REPO/$BUILD/data-root"
"$BUILD/tools/kelvdata" dataset "$ROOT"

# The installation's values: the build (Version 1 for Glide, 0 for
# Direct3D with its first driver, software device and 16-bit colour), the
# race resolution and English. One file per build, written only once, so
# that the options the game saves survive the next run.
if [ "$BUILD_KIND" = dx ]; then
  export KELVARRO_CONFIG="${KELVARRO_CONFIG:-$REPO/$BUILD/registry-dx.txt}"
  INSTALLED='"Version"=dword:00000000
"DDDriver"=dword:00000000
"3DDevice"=dword:00000001
"GameBPP"=dword:00000010'
else
  export KELVARRO_CONFIG="${KELVARRO_CONFIG:-$REPO/$BUILD/registry.txt}"
  INSTALLED='"Version"=dword:00000001'
fi
if [ ! -f "$KELVARRO_CONFIG" ]; then
  cat > "$KELVARRO_CONFIG" <<REG
[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrelmont\\Kelvarro\\1.00]
$INSTALLED
"Language"=dword:00000000
"GameWidth"=dword:00000280
"GameHeight"=dword:000001e0
REG
fi

# The game's CD: the data set's disc image stands in every drive.
export KELVARRO_CD="${KELVARRO_CD:-$ROOT/CD/KELVARRO.CUE}"

cd "$ROOT"
exec "$REPO/$BUILD/programs/kelvarro_$BUILD_KIND"
