#!/usr/bin/env bash
# Refreshes tests/holidays/published-holidays.tsv, the published list of Japan's public holidays the
# holiday rules are compared with, from the npm package @holiday-jp/holiday_jp, and shows what
# changed. A developer's tool (the tests read the kept copy and fetch nothing): it needs npm and
# the registry, and writes nothing outside a temporary folder and the list itself.
#   scripts/refresh-holidays.sh [VERSION]     the package's latest version when none is given
set -euo pipefail
cd "$(dirname "$0")/.."
command -v npm >/dev/null || { echo "refresh-holidays: npm is missing (apt-get install npm)" >&2; exit 1; }
list=tests/holidays/published-holidays.tsv
package=@holiday-jp/holiday_jp
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# npm's cache and logs stay in the temporary folder, not in the home.
export npm_config_cache=$work/npm-cache npm_config_update_notifier=false
version=${1:-$(npm view "$package" version)}
echo "fetching $package@$version from $(npm config get registry)"
(cd "$work" && npm pack --silent "$package@$version" >/dev/null)
tar -xzf "$work"/*.tgz -C "$work"
license=$(node -p 'require(process.argv[1]).license' "$work/package/package.json")
{
  echo "# Japan's public holidays of 1970 to 2050 (date, name), from the npm package $package $version"
  echo "# (lib/holidays.js), licence $license: see published-holidays.LICENSE. Made by scripts/refresh-holidays.sh."
  node -e '
const holidays = require(process.argv[1]);
for (const day of Object.keys(holidays).sort())
  if (day >= "1970-01-01" && day <= "2050-12-31") console.log(day + "\t" + holidays[day].name);
' "$work/package/lib/holidays.js"
} >"$work/list.tsv"
cp "$work/package/LICENSE" tests/holidays/published-holidays.LICENSE
if diff -u --label "$list (kept)" "$list" --label "$package $version" "$work/list.tsv"; then
  echo "no change: $list is $package $version's list"
else
  cp "$work/list.tsv" "$list"
  echo "wrote $list; git diff shows the change"
fi
