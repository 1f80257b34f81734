#!/usr/bin/env bash
# A developer tool (the tests never run it): tries the README's two commands as a newcomer would, on a
# fresh Debian 12 made with debootstrap, as an ordinary user in the sudo group, in a clean clone, and
# lists the user's home and the temporary folder before and after. Run it as root on a Debian host.
#   tools/fresh-debian-run.sh make TREE           debootstrap a tree, add the user "newcomer" (sudo group)
#   tools/fresh-debian-run.sh run TREE REPO REF   clone REF of REPO into ~newcomer/kestrival, run
#                                                 scripts/run.sh, then scripts/test.sh, and report;
#                                                 then scripts/clean.sh, and what it left
#   tools/fresh-debian-run.sh again TREE          the same once more in the same clone
#   tools/fresh-debian-run.sh unmount TREE        unmount what run/again mounted
# The report (times, sizes, the home's and /tmp's listings and their difference) goes to
# TREE/root/fresh-run/ and to standard output. MIRROR (default http://deb.debian.org/debian) is the
# Debian mirror. sudo asks the user no password in the tree: a script cannot type one; everything
# else is as a fresh install has it.
set -euo pipefail
user=newcomer
mirror=${MIRROR:-http://deb.debian.org/debian}
[ "$(id -u)" -eq 0 ] || { echo "run it as root (debootstrap and chroot need it)" >&2; exit 1; }
command=${1:?make, run, again or unmount}
tree=$(realpath -m "${2:?the folder of the tree}")
home=/home/$user
report=$tree/root/fresh-run

mounted() { mountpoint -q "$tree/$1"; }
mount_all() {
  mounted proc || mount -t proc proc "$tree/proc"
  mounted sys || mount -t sysfs sys "$tree/sys"
  mounted dev || mount --bind /dev "$tree/dev"
  mounted dev/pts || mount -t devpts -o newinstance,ptmxmode=0666 devpts "$tree/dev/pts"
  mounted dev/shm || mount -t tmpfs -o mode=1777 shm "$tree/dev/shm"
}
unmount_all() {
  local point
  for point in dev/shm dev/pts dev sys proc; do
    if mounted "$point"; then umount "$tree/$point" || umount -l "$tree/$point"; fi
  done
}
as_user() { chroot "$tree" su - "$user" -c "$1"; }

make_tree() {
  [ ! -e "$tree" ] || { echo "$tree exists: give a new folder" >&2; exit 1; }
  command -v debootstrap >/dev/null || apt-get install -y debootstrap
  debootstrap --include=sudo,git,ca-certificates,locales bookworm "$tree" "$mirror"
  cat >"$tree/etc/apt/sources.list" <<SOURCES
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
SOURCES
  cp /etc/resolv.conf "$tree/etc/resolv.conf"
  echo fresh-debian >"$tree/etc/hostname"
  chroot "$tree" useradd --create-home --shell /bin/bash --groups sudo "$user"
  echo '%sudo ALL=(ALL:ALL) NOPASSWD: ALL' >"$tree/etc/sudoers.d/fresh-run"
  chmod 440 "$tree/etc/sudoers.d/fresh-run"
  echo "made $tree with the user $user in the sudo group"
}

# What the user's home and the temporary folders hold, one line per entry (the checkout apart).
listing() {  # file
  chroot "$tree" sh -c "cd $home && find . -path ./kestrival -prune -o -printf '%y %m %s %TY-%Tm-%Td %TT %p\n' | sort -k6;
    find /tmp /var/tmp /dev/shm -mindepth 1 -printf '%y %u %p\n' | sort -k3" >"$1"
}
figures() {  # what
  {
    echo "== $1"
    local size count
    size=$(chroot "$tree" dpkg-query -W -f '${Installed-Size}\n' | awk '{ s += $1 } END { printf "%.2f GB", s / 1048576 }')
    count=$(chroot "$tree" dpkg-query -W | wc -l)
    echo "packages installed: $size (the sum of dpkg's Installed-Size, $count packages)"
    echo "apt's cache: $(du -sh "$tree/var/cache/apt" | cut -f1)"
    echo "the checkout: $(du -sh "$tree$home/kestrival" | cut -f1)"
    local folder
    for folder in out/run-prefix build/wine-e2e; do
      if [ -d "$tree$home/kestrival/$folder" ]; then
        echo "$folder: $(du -sh "$tree$home/kestrival/$folder" | cut -f1)"
      fi
    done
    if [ -f "$tree$home/kestrival/build/package/SIZES.txt" ]; then cat "$tree$home/kestrival/build/package/SIZES.txt"; fi
  } | tee -a "$report/figures.txt"
}
timed() {  # name command-line: runs it as the user, its output in the report
  local start=$SECONDS status=0
  echo "== $1: $2"
  as_user "cd kestrival && $2" >"$report/$1.log" 2>&1 || status=$?
  echo "$1: exit $status after $(((SECONDS - start) / 60)) min $(((SECONDS - start) % 60)) s" | tee -a "$report/figures.txt"
  tail -n 5 "$report/$1.log"
  return "$status"
}
the_two_commands() {  # round
  local round=$1 status=0
  listing "$report/listing-before-$round.txt"
  timed "run-$round" scripts/run.sh || status=1
  timed "test-$round" scripts/test.sh || status=1
  listing "$report/listing-after-$round.txt"
  figures "after round $round"
  echo "== what changed outside the checkout (round $round)"
  diff "$report/listing-before-$round.txt" "$report/listing-after-$round.txt" | tee "$report/listing-diff-$round.txt" || true
  timed "clean-$round" scripts/clean.sh || status=1
  listing "$report/listing-cleaned-$round.txt"
  echo "== what scripts/clean.sh left outside the checkout (round $round), and in it"
  diff "$report/listing-before-$round.txt" "$report/listing-cleaned-$round.txt" | tee "$report/listing-cleaned-diff-$round.txt" || true
  as_user "cd kestrival && git status --short --ignored" | tee "$report/git-status-cleaned-$round.txt"
  return "$status"
}

case $command in
  make) make_tree ;;
  run)
    repo=${3:?the repository} ref=${4:?the branch or commit}
    mount_all
    trap unmount_all EXIT
    rm -rf "$report" "$tree$home/kestrival"
    mkdir -p "$report"
    git clone --quiet --no-local --branch "$ref" --single-branch "$repo" "$tree$home/kestrival"
    chroot "$tree" chown -R "$user:$user" "$home/kestrival"
    figures "before"
    the_two_commands 1
    ;;
  again)
    mount_all
    trap unmount_all EXIT
    the_two_commands 2
    ;;
  unmount) unmount_all ;;
  *) echo "unknown command $command" >&2; exit 2 ;;
esac
