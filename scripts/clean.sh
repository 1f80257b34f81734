#!/usr/bin/env bash
# Removes everything the run and test commands made: the build folders (the tests' own homes and
# temporaries are in build/tmp), the Wine prefixes (out/run-prefix, build/wine-e2e) with the
# folders their servers keep in the temporary folder (wine-XXXXXX/server-*), the sockets that gadgets killed during a test
# left under /tmp, and the release files (dist/). The sources and git's files stay, and nothing
# under /tmp that these commands did not make goes.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/test-state.sh
made=()
for folder in build build-* out dist; do [ -e "$folder" ] && made+=("$folder"); done
[ ${#made[@]} -gt 0 ] || { echo "nothing to remove"; exit 0; }
uid=$(id -u)

# A Wine prefix's server keeps a folder server-<device>-<inode> (of the prefix's folder) in a
# folder wine-XXXXXX of the temporary folder it was started with (Debian's Wine; upstream's is
# /tmp/.wine-<uid>): the tests' and the run command's are inside their build folders, an earlier
# version's may be in /tmp. A server still running is stopped first.
while IFS= read -r -d '' registry; do
  prefix=$(dirname "$registry")
  read -r device inode < <(stat -c '%d %i' "$prefix")
  name=server-$(printf '%x-%x' "$device" "$inode")
  for temporary in "$PWD/build/tmp" "$PWD/out/tmp" /tmp; do
    [ -d "$temporary" ] || continue
    if [ -x /usr/lib/wine/wineserver ]; then
      TMPDIR=$temporary WINEPREFIX=$prefix timeout 30 /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
      TMPDIR=$temporary WINEPREFIX=$prefix timeout 30 /usr/lib/wine/wineserver -w >/dev/null 2>&1 || true
    fi
    [ "$temporary" = /tmp ] || continue
    for server in /tmp/wine-??????/"$name" "/tmp/.wine-$uid/$name"; do
      [ -d "$server" ] && [ -O "$server" ] || continue
      rm -rf "$server"
      rmdir "$(dirname "$server")" 2>/dev/null || true
      echo "removed $server, Wine's server folder of $prefix"
    done
  done
done < <(find "${made[@]}" -maxdepth 4 -name system.reg -print0 2>/dev/null)

for folder in "${made[@]}"; do
  # Sockets of gadgets that were killed, named in the lock files beside their settings files.
  remove_left_sockets "$folder"
  # Runtime folders made under /tmp where the build folder lies too deep for a socket's path.
  while IFS= read -r -d '' link; do
    target=$(readlink "$link")
    if [[ $target == /tmp/kestrival-test-runtime.* ]] && [ -O "$target" ]; then
      rm -rf "$target"
      echo "removed $target, a test's runtime folder"
    fi
  done < <(find "$folder" -name runtime -type l -print0 2>/dev/null)
done

# Socket folders of gadgets that were killed before the tests kept their lock files in the build
# folder: only a folder of this user's that holds nothing but a socket no process listens on.
for folder in /tmp/kestrival-??????; do
  [ -O "$folder" ] && [ -S "$folder/gadget.sock" ] && [ "$(ls -A "$folder")" = gadget.sock ] || continue
  grep -qF " $folder/gadget.sock" /proc/net/unix 2>/dev/null && continue
  rm -f "$folder/gadget.sock"
  rmdir "$folder" 2>/dev/null && echo "removed $folder, left by a gadget that was killed"
done

# Test folders that earlier versions of the tests left in /tmp when their clean-up failed (the
# session test's program folder, a\b c, names them).
for old in /tmp/tmp.??????????; do
  if [ -O "$old" ] && [ -f "$old/a\\b c/kestrival" ]; then rm -rf "$old" && echo "removed $old, an earlier test's folder"; fi
done

rm -rf "${made[@]}"
echo "removed ${made[*]}"
