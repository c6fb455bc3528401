#!/bin/sh
# Installs, with apt-get, the Debian 12 packages the build and the tests need (only those missing).
#   ./scripts/deps.sh --font-dirs   prints the folders of its font packages (the tests see only those)
set -eu
# The documents name Times New Roman, Arial and Courier New: Liberation stands in for them with
# the same metrics, so text lays out on a user's sheet as it does here.
FONTS="fonts-dejavu-core fonts-liberation2 fonts-opensymbol"
if [ "${1:-}" = "--font-dirs" ]; then
  for p in $FONTS; do
    dpkg-query -L "$p" 2>/dev/null | grep -E '\.(ttf|otf|pfb|pfa)$' | sed 's|/[^/]*$||'
  done | sort -u
  exit 0
fi
PKGS="$FONTS build-essential cmake ninja-build pkg-config git
qt6-base-dev libgl-dev libfontconfig-dev libfreetype-dev libzip-dev zlib1g-dev libsqlite3-dev sqlite3 libfreexl-dev mdbtools-dev
libzint-dev libzxing-dev libxlsxwriter-dev
libgtest-dev libgmock-dev libbenchmark-dev
libreoffice-writer-nogui libreoffice-calc-nogui poppler-utils systemd"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
echo "Installing:$missing"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
