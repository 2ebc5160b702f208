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

# The tests that place text are run once more with only Ghostscript's URW fonts and DejaVu,
# as on a desktop without Liberation, where "Arial" is Nimbus Sans: the layout must agree
# with Qt's and the printing tests must hold with fonts of other metrics too.
FONT_TESTS='^(tst_screenlayout|tst_printing|tst_paperprint|tst_textcontrol|tst_tables|tst_contents)$'
fonts="$(mktemp -d)"
trap 'rm -rf "$fonts"' EXIT
{
  echo '<?xml version="1.0"?>'
  echo '<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">'
  echo '<fontconfig>'
  for d in /usr/share/fonts/opentype/urw-base35 /usr/share/fonts/type1/urw-base35 \
           /usr/share/fonts/truetype/dejavu; do
    echo "  <dir>$d</dir>"
  done
  echo "  <cachedir>$fonts/cache</cachedir>"
  # The system's rules (Arial to Nimbus Sans among them), not the user's own.
  for f in /etc/fonts/conf.d/*.conf; do
    case "$(basename "$f")" in 50-user.conf|51-local.conf) continue ;; esac
    echo "  <include ignore_missing=\"yes\">$f</include>"
  done
  echo '</fontconfig>'
} > "$fonts/fonts.conf"
status=0
echo "Layout and printing tests with only the URW and DejaVu fonts:"
FONTCONFIG_FILE="$fonts/fonts.conf" ctest --output-on-failure -j "$(nproc)" -R "$FONT_TESTS" || status=$?

echo "Every test:"
ctest --output-on-failure -j "$(nproc)" || status=$?
exit "$status"
