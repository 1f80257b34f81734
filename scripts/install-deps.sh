#!/usr/bin/env bash
# Installs the Debian packages that are missing, with apt (its own progress shown). The one list of
# what the commands need, in three parts:
#   scripts/install-deps.sh run        building and running the Linux gadget (scripts/run.sh)
#   scripts/install-deps.sh windows    and the Windows exe under Wine (scripts/run.sh --windows)
#   scripts/install-deps.sh [test]     everything the tests need (scripts/test.sh), the above included
# As an ordinary user it asks sudo, passing DEBIAN_FRONTEND through (sudo drops it otherwise).
set -euo pipefail
need=${1:-test}
case $need in run | windows | test) ;; *) echo "install-deps: run, windows or test, not $need" >&2; exit 2 ;; esac

# Packages with the ones they recommend, and packages without (Qt's recommendations would pull in
# GTK 3; KWin and mutter bring about 170 packages even without theirs).
# Without a display the gadget runs on Xvfb with a D-Bus session of its own (dbus-daemon).
packages=(cmake ninja-build g++ xvfb imagemagick fonts-horai-umefont)
bare_packages=(qt6-base-dev libxcb1-dev dbus-daemon)
if [ "$need" != run ]; then
  # The Windows build and Wine, with the Japanese face Wine's own dialogs are linked to.
  packages+=(mingw-w64 wine64 fonts-noto-cjk)
fi
if [ "$need" = test ]; then
  packages+=(googletest libgtest-dev libbenchmark-dev xdotool x11-xserver-utils x11-utils faketime clang-14
             libclang-rt-14-dev clang-format zip python3 at-spi2-core python3-pyatspi dbus-x11)
  # Wine's 32-bit loader runs the 32-bit release exe; its packages come from the i386 architecture.
  packages+=(wine32:i386)
  # The Linux package's checkers; a launcher of desktop entries (gio) for the start-at-login test;
  # the window managers the Linux gadget is tried under, and the tools that drive them; the
  # session manager of the tests (libSM, libICE).
  bare_packages+=(lintian appstream desktop-file-utils man-db libglib2.0-bin openbox xfwm4 kwin-x11 mutter wmctrl
                  libsm-dev libice-dev)
  # A real XEmbed system tray for the notification-area icon, and a window (xlogo) with an event
  # reader (xev) beneath a gadget whose clicks pass through.
  bare_packages+=(trayer x11-apps)
  # A notification daemon on the test display, which shows the gadget's reminders.
  bare_packages+=(dunst)
  # Qt's Wayland plugin, which the gadget runs on where no X server answers, and the headless
  # Wayland compositors it is tried on (with XWayland, the screenshot tool of the wlroots family, and
  # the D-Bus pieces that ask KWin for its screen and stand in for logind under GNOME Shell).
  bare_packages+=(qt6-wayland weston sway grim xwayland kwin-wayland gnome-shell python3-dbusmock python3-dbus)
fi

as_root() {  # VAR=value... command...
  if [ "$(id -u)" -eq 0 ]; then env "$@"; else sudo "$@"; fi
}
missing_of() {  # package...: prints those not installed
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || echo "$package"
  done
}

if [ "$need" = test ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "install-deps: adding the i386 architecture (for wine32)"
  as_root dpkg --add-architecture i386
fi
mapfile -t missing < <(missing_of "${packages[@]}")
mapfile -t bare_missing < <(missing_of "${bare_packages[@]}")
[ ${#missing[@]} -eq 0 ] && [ ${#bare_missing[@]} -eq 0 ] && exit 0
echo "install-deps: installing ${missing[*]} ${bare_missing[*]}"
as_root apt-get update
if [ ${#missing[@]} -gt 0 ]; then
  as_root DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
fi
if [ ${#bare_missing[@]} -gt 0 ]; then
  as_root DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${bare_missing[@]}"
fi
