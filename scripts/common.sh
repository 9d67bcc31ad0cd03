# Shared set-up of run.sh and test.sh: Debian packages, configure and build.
# Sourced, not run: it defines functions and sets no options of its own.

BRELVO_PACKAGES=(
  g++ cmake ninja-build pkgconf
  qt6-base-dev qt6-charts-dev qt6-webengine-dev libqt6opengl6-dev libgl-dev libxkbcommon-dev
  fonts-dejavu-core qt6-image-formats-plugins
  libwmf-dev fonts-urw-base35
  libturbojpeg0-dev libjpeg62-turbo-dev libjpeg-turbo-progs
  libgdal-dev libproj-dev gdal-bin geographiclib-tools proj-bin
  libgtest-dev libbenchmark-dev poppler-utils
  clang-format
  clang-14 libclang-rt-14-dev
)

# Installs missing Debian packages as root; otherwise prints the one line to run and stops.
brelvo_ensure_packages() {
  local missing=() pkg
  for pkg in "${BRELVO_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing Debian packages: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  else
    echo "Brelvo needs these Debian packages. Run as root:"
    echo "  apt-get install -y --no-install-recommends ${missing[*]}"
    exit 1
  fi
}

# Configures and builds one CMake preset (dev, release or asan).
brelvo_build() {
  local preset=$1
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
}

# Qt needs a private runtime folder and, without a display, the offscreen platform.
brelvo_headless_env() {
  export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}"
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
}
