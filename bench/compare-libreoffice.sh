#!/usr/bin/env bash
# Our command-line export of a long plan against LibreOffice converting the same plan,
# side by side as whole processes, timed by hyperfine in one run:
#
#     tandel --export plan.pdf --plan-file N     vs   soffice --headless --convert-to pdf plan.rtf
#     tandel --export plan.odt --plan-file N     vs   soffice --headless --convert-to odt plan.rtf
#     tandel --export plan.txt --plan-file N     vs   soffice --headless --convert-to txt plan.rtf
#
# The plan is the benchmarks' plan of PAGES paper pages (300 unless told), written into a
# program folder of its own by tandel_benchplan; LibreOffice converts the rich text our
# export makes of it. LibreOffice gets a fresh profile, started and warmed once before the
# timing, as a user's LibreOffice has one. Prints hyperfine's figures and each pair's
# ratio (our time / LibreOffice's).
#
#     bash bench/compare-libreoffice.sh            # build/ with the benchmarks built
#     BUILD=build-rel PAGES=100 RUNS=5 bash bench/compare-libreoffice.sh
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
PAGES="${PAGES:-300}"
RUNS="${RUNS:-10}"

for tool in hyperfine soffice python3; do
  command -v "$tool" >/dev/null || { echo "compare-libreoffice: $tool is not installed" >&2; exit 1; }
done
for f in "$BUILD/bin/tandel" "$BUILD/bench/tandel_benchplan"; do
  [ -x "$f" ] || { echo "compare-libreoffice: $f is missing; build with -DTANDEL_BENCH=ON" >&2; exit 1; }
done

WORK="$(mktemp -d "${TMPDIR:-/tmp}/tandel-vs-lo.XXXXXX")"
trap 'rm -rf "$WORK"' EXIT

# The program's folder is the folder of its file: the program beside a copy of the data.
mkdir -p "$WORK/program" "$WORK/ours" "$WORK/lo"
cp "$BUILD/bin/tandel" "$WORK/program/"
cp -r "$BUILD/pristine/data" "$BUILD/pristine/userdata" "$WORK/program/"
PLAN="$("$BUILD/bench/tandel_benchplan" "$WORK/program" "$PAGES" 2>/dev/null)"
TANDEL="$WORK/program/tandel"

# The same plan as rich text, for LibreOffice.
"$TANDEL" --export "$WORK/plan.rtf" --plan-file "$PLAN"
"$TANDEL" --export "$WORK/check.pdf" --plan-file "$PLAN"
if command -v pdfinfo >/dev/null; then
  echo "The plan: $(pdfinfo "$WORK/check.pdf" | awk '/^Pages:/ {print $2}') pages as our PDF"
fi

# A fresh profile, made and warmed by one conversion before anything is timed.
SOFFICE="soffice -env:UserInstallation=file://$WORK/lo-profile --headless --norestore"
$SOFFICE --convert-to pdf --outdir "$WORK/lo" "$WORK/plan.rtf" >/dev/null 2>&1

hyperfine --style basic --warmup 1 --runs "$RUNS" --export-json "$WORK/times.json" \
  -n "tandel pdf" "$TANDEL --export $WORK/ours/plan.pdf --plan-file $PLAN" \
  -n "soffice pdf" "$SOFFICE --convert-to pdf --outdir $WORK/lo $WORK/plan.rtf" \
  -n "tandel odt" "$TANDEL --export $WORK/ours/plan.odt --plan-file $PLAN" \
  -n "soffice odt" "$SOFFICE --convert-to odt --outdir $WORK/lo $WORK/plan.rtf" \
  -n "tandel txt" "$TANDEL --export $WORK/ours/plan.txt --plan-file $PLAN" \
  -n "soffice txt" "$SOFFICE --convert-to txt:Text --outdir $WORK/lo $WORK/plan.rtf"

python3 - "$WORK/times.json" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
print("\nformat   tandel (s)   LibreOffice (s)   ratio (goal <= 0.50)")
for fmt in ("pdf", "odt", "txt"):
    ours, theirs = results["tandel " + fmt], results["soffice " + fmt]
    ratio = ours["mean"] / theirs["mean"]
    print(f"{fmt:6} {ours['mean']:10.3f}   {theirs['mean']:15.3f}   {ratio:8.2f}"
          f"  {'ok' if ratio <= 0.5 else 'SLOWER THAN THE GOAL'}")
PY
