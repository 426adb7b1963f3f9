# Sourced by ./play and ./test: installs the Debian packages the build needs when any is missing.
# Usage: lntr3_ensure_packages PKG...

lntr3_ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}" >&2
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then sudo="sudo"; else
      echo "error: packages missing (${missing[*]}) and not root; install them first" >&2
      return 1
    fi
  fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Packages to build and run the game.
LNTR3_BUILD_PACKAGES=(build-essential cmake pkg-config libsdl2-dev libsdl2-ttf-dev libpng-dev
  fonts-ipafont-gothic libfreetype-dev fonts-ipafont-mincho fonts-motoya-l-maruberi
  libvorbis-dev vorbis-tools libimagequant-dev)
# Extra packages for the tests and benchmarks (bench/idle-at-click-wait reads the X server's
# damage reports through libXdamage from python3).
LNTR3_TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev xvfb libx11-dev libxtst-dev
  libxdamage1 python3 clang-format git man-db)
# The fuzz targets: clang and its libFuzzer and sanitizer runtimes.
LNTR3_FUZZ_PACKAGES=(clang libclang-rt-14-dev)
