# Shared by the set-up scripts: install what is missing, then configure and build.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PACKAGES=(cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libhunspell-dev
          hunspell-en-gb libbenchmark-dev xvfb xauth poppler-utils clang fonts-dejavu-core ccache
          libreoffice-calc-nogui libreoffice-writer-nogui libxlsxwriter-dev libqpdf-dev
          libzip-dev fonts-liberation2 fonts-urw-base35
          python3-docx)

# Charts of the analyses and the budget; Debian's Qt Charts package leaves out the OpenGL
# development files its CMake package needs.
PACKAGES+=(qt6-charts-dev libqt6opengl6-dev)

# bench/compare-libreoffice.sh times whole programs with it.
PACKAGES+=(hyperfine)

# The Debian package and its test: dpkg-shlibdeps (cpack's dependency list), lintian, the
# validators of the menu entry and the AppStream metadata, and the fonts the package
# depends on.
PACKAGES+=(dpkg-dev lintian appstream desktop-file-utils)
# The install test builds a MIME database from the plan package's file type.
PACKAGES+=(shared-mime-info)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
  local dir="$1"; shift
  cmake -S "$ROOT" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}
