#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
source "$(dirname "$0")/common.sh"
install_missing
build "$ROOT/build"
cd "$ROOT/build/bin"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting the program under Xvfb (virtual screen :99)."
  exec xvfb-run -n 99 -s "-screen 0 1280x1024x24" ./tandel
fi
exec ./tandel
