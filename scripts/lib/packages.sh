# Sourced by scripts/setup, scripts/sanitize, scripts/fuzz and scripts/package:
# the Debian 12 packages each needs, and the one way they are installed.

# What building the program and its tests needs (real package names: a
# virtual one is never listed as installed and would be installed forever).
build_packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libgl-dev
  qt6-httpserver-dev qt6-websockets-dev
  qt6-qpa-plugins fonts-dejavu-core fonts-dseg
)

# Prints the packages among "$@" that dpkg does not list as installed.
missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -qx 'install ok installed' || echo "$p"
  done
}

# Returns at once when every package is installed: no apt, no root, no
# network. Otherwise root installs the missing ones; anyone else is told how
# and the script stops.
require_packages() {
  local missing
  mapfile -t missing < <(missing_packages "$@")
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    cat >&2 <<MSG
These Debian packages are missing:
  ${missing[*]}
Install them as root, then run this again. With sudo:
  sudo apt-get update && sudo apt-get install ${missing[*]}
Without sudo (asks for root's password):
  su -c 'apt-get update && apt-get install ${missing[*]}'
MSG
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
  mapfile -t missing < <(missing_packages "${missing[@]}")
  if [ ${#missing[@]} -gt 0 ]; then
    echo "apt-get finished but dpkg does not list as installed: ${missing[*]}" >&2
    exit 1
  fi
}

# The real-browser test drives Debian's chromium with playwright-core from
# npm (tests/browser). Node and npm count when their commands are there,
# whichever package brought them (Debian's nodejs and npm, or another one).
browser_test_packages() {
  echo chromium
  command -v node >/dev/null || echo nodejs
  command -v npm >/dev/null || echo npm
}

# Installs what the real-browser test needs, then its npm packages exactly as
# tests/browser/package-lock.json pins them (never a browser download).
require_browser_test() {
  local packages
  mapfile -t packages < <(browser_test_packages)
  require_packages "${packages[@]}"
  [ -d tests/browser/node_modules/playwright-core ] && return 0
  echo "Installing the browser test's npm packages (tests/browser)"
  (cd tests/browser && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund)
}
