#!/bin/sh
# Builds kelvarro_glide (Release, no sanitizers), lays out the synthetic data
# set in build-run/data-root with the configuration that an installation
# would have written, and starts the game there. The game reads its
# environment: KELVARRO_WINDOW=WIDTHxHEIGHT for a plain window,
# KELVARRO_SCREENSHOT=file.png for a picture of the first presented frame
# (KELVARRO_SCREENSHOT_FRAME=n for the n-th one, the main menu from about 60),
# KELVARRO_CD=disc.cue for another disc image than the data set's.
set -e
cd "$(dirname "$0")/.."
./scripts/deps.sh
BUILD=${KELV_RUN_BUILD:-build-run}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELV_SANITIZE=OFF -DKELV_FUZZ=OFF \
  -DKELV_TESTS=OFF -DKELV_BENCH=OFF
cmake --build "$BUILD" --target kelvarro_glide kelvdata

REPO="$PWD"
ROOT="$REPO/$BUILD/data-root"
"$BUILD/tools/kelvdata" dataset "$ROOT"

# The installation's values: the Glide build, English. Written only once, so
# that the options the game saves survive the next run.
export KELVARRO_CONFIG="${KELVARRO_CONFIG:-$REPO/$BUILD/registry.txt}"
if [ ! -f "$KELVARRO_CONFIG" ]; then
  cat > "$KELVARRO_CONFIG" <<'REG'
[HKEY_LOCAL_MACHINE\SOFTWARE\Ostrelmont\Kelvarro\1.00]
"Version"=dword:00000001
"Language"=dword:00000000
REG
fi

# The game's CD: the data set's disc image stands in every drive.
export KELVARRO_CD="${KELVARRO_CD:-$ROOT/CD/KELVARRO.CUE}"

cd "$ROOT"
exec "$REPO/$BUILD/programs/kelvarro_glide"
