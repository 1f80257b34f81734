#!/usr/bin/env bash
# Checks the layers of the program's sources:
#  - every file that includes a Windows header has "win32" in its path, and the portable core
#    target lists none of them;
#  - includes run one way: support <- settings (record and file) <- render <- settings/dialog <- app,
#    and no portable file includes a Win32 one.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
fail() { echo "layers: $*" >&2; status=1; }

for f in $(git ls-files app render settings support | grep -E '\.(h|cpp)$'); do
  if grep -qE '#include <(windows|commctrl|commdlg|shellapi|shlobj|winres)\.h>' "$f" && [[ $f != */win32/* ]]; then
    fail "$f includes a Windows header outside a win32 folder"
  fi
done
core=$(sed -n '/^add_library(kestrival_core/,/^)/p' CMakeLists.txt)
grep -q 'win32' <<<"$core" && fail "the core library lists a win32 source"

# The layer of a path, and which layers it may include.
layer_of() {
  case $1 in
    support/win32/*) echo support-win32 ;;   support/*) echo support ;;
    kestrival_version.h) echo support ;;  # generated from the project version
    settings/dialog/win32/*) echo dialog-win32 ;; settings/dialog/*) echo dialog ;;
    settings/*) echo settings ;;
    render/win32/*) echo render-win32 ;;     render/*) echo render ;;
    app/win32/*) echo app-win32 ;;           app/*) echo app ;;
    *) echo other ;;
  esac
}
allowed() {
  case $1 in
    support) echo "support" ;;
    settings) echo "support settings" ;;
    render) echo "support settings render" ;;
    dialog) echo "support settings render dialog" ;;
    app) echo "support settings render dialog app" ;;
    support-win32) echo "support support-win32" ;;
    render-win32) echo "support settings render support-win32 render-win32" ;;
    dialog-win32) echo "support settings render dialog support-win32 render-win32 dialog-win32" ;;
    app-win32) echo "support settings render dialog app support-win32 render-win32 dialog-win32 app-win32" ;;
  esac
}
for f in $(git ls-files app render settings support | grep -E '\.(h|cpp)$'); do
  from=$(layer_of "$f")
  ok=" $(allowed "$from") "
  while read -r included; do
    to=$(layer_of "$included")
    [[ $ok == *" $to "* ]] || fail "$f ($from) includes $included ($to)"
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$f")
done
[ $status -eq 0 ] && echo "layers: every Windows header in a win32 path; includes run one way"
exit $status
