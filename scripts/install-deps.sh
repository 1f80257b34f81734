#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
set -euo pipefail
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
# Wine's 32-bit loader runs the 32-bit release exe; its packages come from the i386 architecture.
dpkg --print-foreign-architectures | grep -qx i386 || $sudo_cmd dpkg --add-architecture i386
packages=(cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev
          mingw-w64 wine64 xvfb xdotool imagemagick faketime fonts-horai-umefont fonts-noto-cjk
          clang-14 libclang-rt-14-dev clang-format zip python3 wine32:i386
          at-spi2-core python3-pyatspi dbus-x11)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# The Linux gadget's Qt 6 and the Linux package's checkers, without the recommended packages (Qt's would
# pull in GTK 3).
bare_packages=(qt6-base-dev libxcb1-dev lintian appstream desktop-file-utils man-db)
bare_missing=()
for p in "${bare_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || bare_missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ ${#bare_missing[@]} -gt 0 ]; then
  $sudo_cmd apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi
if [ ${#bare_missing[@]} -gt 0 ]; then
  echo "installing: ${bare_missing[*]}"
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${bare_missing[@]}" >/dev/null
fi
