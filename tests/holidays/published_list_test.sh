#!/usr/bin/env bash
# Compares the program's Japanese public holidays with a published list, every day of 1970 to
# 2050: the holiday data set of the npm package @holiday-jp/holiday_jp (a pinned version,
# installed into the build folder on first use).
set -euo pipefail
holiday_days=$1
data=$2   # a folder of the build tree for the package
package=@holiday-jp/holiday_jp@2.5.1
list=$(realpath -m "$data")/node_modules/@holiday-jp/holiday_jp/lib/holidays.js
if [ ! -f "$list" ]; then
  mkdir -p "$data"
  npm install --silent --no-save --no-audit --no-fund --prefix "$data" "$package" >/dev/null ||
    { echo "npm could not install $package from $(npm config get registry)"; exit 1; }
fi
published=$(mktemp)
computed=$(mktemp)
trap 'rm -f "$published" "$computed"' EXIT
node -e '
const holidays = require(process.argv[1]);
for (const day of Object.keys(holidays).sort())
  if (day >= "1970-01-01" && day <= "2050-12-31") console.log(day);
' "$list" >"$published"
"$holiday_days" 1970 2050 >"$computed"
count=$(wc -l <"$published")
[ "$count" -gt 1000 ] || { echo "the published list holds only $count days"; exit 1; }
if ! diff -u --label published "$published" --label computed "$computed"; then
  echo "the computed holidays differ from the published list"
  exit 1
fi
echo "every day of 1970-2050 agrees with the published list ($count holidays)"
