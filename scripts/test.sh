#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
# SANITIZE=1 builds and runs the suite under AddressSanitizer and UBSan in build-asan/.
source "$(dirname "$0")/common.sh"
install_missing
dir="$ROOT/build"
extra=()
if [ "${SANITIZE:-0}" = "1" ]; then
  dir="$ROOT/build-asan"
  extra=(-DTANDEL_SANITIZE=ON -DTANDEL_BENCH=OFF)
fi
build "$dir" "${extra[@]}"
export QT_QPA_PLATFORM=offscreen
cd "$dir"
ctest --output-on-failure -j "$(nproc)"
