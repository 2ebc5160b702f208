#!/usr/bin/env bash
# scripts/fuzz.sh TARGET [SECONDS]: builds the fuzz targets with clang in build-fuzz/ and
# runs TARGET (for example fuzz_inifile) on a copy of its seed corpus.
source "$(dirname "$0")/common.sh"
install_missing
target="${1:?usage: scripts/fuzz.sh fuzz_<name> [seconds]}"
seconds="${2:-60}"
CC=clang CXX=clang++ build "$ROOT/build-fuzz" -DTANDEL_FUZZ=ON -DTANDEL_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
corpus="$ROOT/build-fuzz/corpus/${target#fuzz_}"
mkdir -p "$corpus"
cp -r "$ROOT/fuzz/corpus/${target#fuzz_}/." "$corpus/" 2>/dev/null || true
export QT_QPA_PLATFORM=offscreen
"$ROOT/build-fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 "$corpus"
