#!/usr/bin/env bash
# Fails when a release exe imports a function that the oldest Windows it must load on lacks.
#   check-imports.sh EXE 5.1    (32-bit: Windows XP SP3)
#   check-imports.sh EXE 6.0    (x64: Windows Vista)
# scripts/later-apis.txt lists the known later functions with their minimum client version.
set -euo pipefail
exe=$1 floor=$2
list="$(dirname "$0")/later-apis.txt"
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ { dll = $3 } /^\t[ 0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { print dll, $NF }')
[ -n "$imports" ] || { echo "imports: none found in $exe" >&2; exit 1; }
later=$(awk -v floor="$floor" '!/^#/ && NF >= 2 && $2 + 0 > floor + 0 { print $1 }' "$list")
bad=0
while read -r dll function; do
  if grep -qxF "$function" <<<"$later"; then
    echo "imports: $exe imports $dll!$function, later than Windows $floor ($(grep -m1 "^$function " "$list" | awk '{print $2}'))" >&2
    bad=1
  fi
done <<<"$imports"
[ $bad -eq 0 ] && printf "imports: $(wc -l <<<"$imports") functions of $(basename "$exe"), none later than Windows $floor\n"
exit $bad
