#!/bin/sh
# Builds Kelvarro with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs every test, the fuzz targets included (each for a bounded time).
set -e
cd "$(dirname "$0")/.."
./scripts/deps.sh
BUILD=${KELV_TEST_BUILD:-build-test}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DKELV_SANITIZE=ON -DKELV_FUZZ=ON
cmake --build "$BUILD"
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
export LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
cd "$BUILD"
ctest --output-on-failure -j"$(nproc)" "$@"
