#!/usr/bin/env bash
# Checks the Linux package as Debian's tools do: lintian with no error and no warning (its
# informational notes are shown), the AppStream data by appstreamcli, the desktop entry by
# desktop-file-validate, the manual page by man's own warnings, and the packaged program answering
# --version with the package's version.
#   scripts/check-package.sh dist/kestrival_<version>_<arch>.deb
set -euo pipefail
deb=$(realpath "$1")
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
failures=0
step() {  # step "what" command...: runs it, shows its output, counts a failure
  local what=$1; shift
  local output status=0
  output=$("$@" 2>&1) || status=$?
  [ -n "$output" ] && printf '%s\n' "$output" | sed 's/^/    /'
  if [ "$status" -eq 0 ]; then echo "[       OK ] $what"; else echo "[  FAILED  ] $what"; failures=$((failures + 1)); fi
}
quiet() {  # quiet command...: fails when the command fails or prints anything
  local output
  output=$("$@" 2>&1) || { printf '%s\n' "$output"; return 1; }
  [ -z "$output" ] || { printf '%s\n' "$output"; return 1; }
}
# Lintian says it should not run as root, which these machines do; that line is not a finding.
lintian_tags() {
  lintian --fail-on error,warning --display-info --pedantic "$deb" 2>&1 |
    grep -v '^running with root privileges is not recommended!$'
  return "${PIPESTATUS[0]}"
}
step "lintian: no error, no warning" lintian_tags
metainfo=$(find "$root/usr/share/metainfo" -name '*.metainfo.xml' 2>/dev/null || true)
if [ -n "$metainfo" ]; then
  step "appstreamcli validate $(basename "$metainfo")" appstreamcli validate --no-net --pedantic "$metainfo"
else
  step "AppStream data in /usr/share/metainfo" false
fi
step "desktop-file-validate kestrival.desktop" quiet desktop-file-validate "$root/usr/share/applications/kestrival.desktop"
# As lintian formats it: the formatted page is dropped, the warnings kept.
man_warnings() { LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$1" 2>&1 >/dev/null; }
step "the manual page formats without warnings" quiet man_warnings "$root/usr/share/man/man1/kestrival.1.gz"
version=$(dpkg-deb -f "$deb" Version)
step "the packaged program is version $version" \
  test "$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/kestrival" --version)" = "kestrival $version"
if [ "$failures" -ne 0 ]; then echo "[  FAILED  ] $failures check(s) of $(basename "$deb")"; exit 1; fi
echo "[  PASSED  ] $(basename "$deb")"
