#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
set -euo pipefail
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
# Wine's 32-bit loader runs the 32-bit release exe; its packages come from the i386 architecture.
dpkg --print-foreign-architectures | grep -qx i386 || $sudo_cmd dpkg --add-architecture i386
packages=(cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev
          mingw-w64 wine64 xvfb xdotool x11-xserver-utils imagemagick faketime fonts-horai-umefont fonts-noto-cjk
          clang-14 libclang-rt-14-dev clang-format zip python3 x11-utils wine32:i386 nodejs
          at-spi2-core python3-pyatspi dbus-x11)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# The Linux gadget's Qt 6 and the Linux package's checkers, without the recommended packages (Qt's would
# pull in GTK 3).
bare_packages=(qt6-base-dev libxcb1-dev lintian appstream desktop-file-utils man-db)
# A launcher of desktop entries (gio) for the start-at-login test; the window managers the Linux
# gadget is tried under, and the tools that drive them.
bare_packages+=(libglib2.0-bin openbox xfwm4 kwin-x11 mutter wmctrl dbus-x11 x11-utils)
# The session manager of the tests, which reads the restart command the gadget leaves at a logout.
bare_packages+=(libsm-dev libice-dev)
# Qt's Wayland plugin, which the gadget runs on where no X server answers, and the headless
# Wayland compositors it is tried on (with XWayland, and the screenshot tool of the wlroots family).
bare_packages+=(qt6-wayland weston sway grim xwayland)
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
# npm fetches the published list of Japanese holidays that the holiday rules are checked against;
# some builds of nodejs bring it along, Debian's comes as a package of its own.
if ! command -v npm >/dev/null; then
  echo "installing: npm"
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends npm >/dev/null
fi
