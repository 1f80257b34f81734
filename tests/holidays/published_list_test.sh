#!/usr/bin/env bash
# Compares the program's Japanese public holidays with a published list, every day of 1970 to
# 2050: published-holidays.tsv beside this script, the holiday data set of the npm package
# @holiday-jp/holiday_jp kept in the repository (scripts/refresh-holidays.sh refreshes it).
#   published_list_test.sh path/to/kestrival_holiday_days
set -euo pipefail
holiday_days=$1
list=$(dirname "$0")/published-holidays.tsv
published=$(grep -v '^#' "$list" | cut -f1)
computed=$("$holiday_days" 1970 2050)
count=$(wc -l <<<"$published")
[ "$count" -gt 1000 ] || { echo "the published list holds only $count days"; exit 1; }
if ! diff -u --label "published ($list)" <(printf '%s\n' "$published") --label computed <(printf '%s\n' "$computed"); then
  echo "the computed holidays differ from the published list"
  exit 1
fi
echo "every day of 1970-2050 agrees with the published list ($count holidays)"
