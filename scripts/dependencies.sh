#!/usr/bin/env bash
# Installs the Debian packages the program needs to build and run, skipping
# those already installed.
set -euo pipefail

packages=(g++ cmake make pkg-config qt6-base-dev libhidapi-dev libudev-dev fonts-dejavu-core
          libqt6svg6 qt6-translations-l10n xvfb xauth x11-utils binutils dpkg-dev
          dbus-daemon dbus-bin at-spi2-core srecord libqt6sql6-sqlite sqlite3
          libqt6sql6-psql libpq-dev postgresql qt6-charts-dev
          libqt6opengl6-dev libzip-dev)
# "fuzz": also clang and its fuzzing runtime.
if [ "${1:-}" = "fuzz" ]; then packages+=(clang-14 libclang-rt-14-dev); fi
# "package": also the checkers of the Debian package.
if [ "${1:-}" = "package" ]; then packages+=(lintian desktop-file-utils appstream); fi
# "screenshot": also what takes the README's picture.
if [ "${1:-}" = "screenshot" ]; then packages+=(xdotool imagemagick); fi
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Instalando: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
