#!/usr/bin/env bash
# scripts/fuzz.sh TARGET [SECONDS]: builds one fuzz target with clang (AddressSanitizer,
# UndefinedBehaviorSanitizer, libFuzzer) in build-fuzz/ and runs it on a copy of its seed
# corpus. Crash inputs land in build-fuzz/artifacts/.
source "$(dirname "$0")/common.sh"
install_missing
target="${1:?usage: scripts/fuzz.sh fuzz_<name> [seconds]}"
seconds="${2:-60}"
name="${target#fuzz_}"
dir="$ROOT/build-fuzz"
[ -f "$ROOT/fuzz/$target.cpp" ] || { echo "no fuzz target fuzz/$target.cpp" >&2; exit 2; }
cmake -S "$ROOT" -B "$dir" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DTANDEL_FUZZ=ON -DTANDEL_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# Only the target and what it links: the rest of the tree may be mid-change.
cmake --build "$dir" -j "$(nproc)" --target "$target"
corpus="$dir/corpus/$name"
mkdir -p "$corpus" "$dir/artifacts"
cp -r "$ROOT/fuzz/corpus/$name/." "$corpus/" 2>/dev/null || true
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$ROOT/fuzz/lsan.supp}"
"$dir/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
    -print_final_stats=1 -artifact_prefix="$dir/artifacts/$target-" "$corpus"
