#!/usr/bin/env bash
# Builds the release exes for 64- and 32-bit Windows from clean folders and leaves
#   dist/Kestrival-<version>-win64.zip and dist/Kestrival-<version>-win32.zip
# each holding Kestrival.exe, ReadMe.txt and the help page Kestrival.html, which the support item
# opens; and dist/SIZES.txt with every file's size and SHA-256. A build without the help page and
# without a support address (KESTRIVAL_SUPPORT_URL) would leave the support item with nothing to
# open: it fails. The product uses the compilers' win32 thread model
# (no winpthreads, so nothing newer than XP is imported); the import check runs on both exes.
# Reproducible: no time stamps in the exes, and the zip entries carry the commit's time
# (SOURCE_DATE_EPOCH), fixed permissions and no extra fields.
# With KESTRIVAL_MAINTAINER ("Name <address>") it also makes dist/kestrival_<version>_<arch>.deb;
# without it only the zips, and it says so. KESTRIVAL_DIST names another folder for all of these
# (the tests build theirs in build/package, so that dist/ only ever holds a maintainer's release).
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(Kestrival VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
if [ ! -s docs/Kestrival.html ] && [ -z "${KESTRIVAL_SUPPORT_URL:-}" ]; then
  echo "package: no help page (docs/Kestrival.html) and no KESTRIVAL_SUPPORT_URL: the support item would open nothing" >&2
  exit 1
fi
# A maintainer given in another form would make a package Debian's tools reject: said before any build.
maintainer_pattern='^[^<>,[:cntrl:]]*[^<>,[:space:]] <[^<>@[:space:]]+@[^<>@[:space:]]+\.[^<>@[:space:]]+>$'
if [ -n "${KESTRIVAL_MAINTAINER:-}" ] && ! [[ $KESTRIVAL_MAINTAINER =~ $maintainer_pattern ]]; then
  echo "package: KESTRIVAL_MAINTAINER is not \"Name <address>\": $KESTRIVAL_MAINTAINER" >&2
  exit 1
fi
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
dist=$(realpath -m "${KESTRIVAL_DIST:-dist}")
mkdir -p "$dist"

package() {  # arch toolchain floor
  local arch=$1 toolchain=$2 floor=$3
  local build=build-release-$arch stage=build-release-$arch/stage
  rm -rf "$build"
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/$toolchain" -DKESTRIVAL_THREADS=win32 \
    -DCMAKE_BUILD_TYPE=Release -DKESTRIVAL_TESTS=OFF -DKESTRIVAL_WERROR=ON \
    -DKESTRIVAL_SUPPORT_URL="${KESTRIVAL_SUPPORT_URL:-}" >/dev/null
  cmake --build "$build" --target Kestrival -j "$(nproc)"
  scripts/check-imports.sh "$build/Kestrival.exe" "$floor"
  mkdir -p "$stage"
  cp "$build/Kestrival.exe" "$stage/Kestrival.exe"
  sed -e "s/<version>/$version/g" -e 's/$/\r/' docs/windows-readme.txt >"$stage/ReadMe.txt"
  cp docs/Kestrival.html "$stage/Kestrival.html"
  chmod 644 "$stage"/*
  touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*
  local zip=$dist/Kestrival-$version-$arch.zip
  rm -f "$zip"
  (cd "$stage" && TZ=UTC zip -X -D -q "$zip" Kestrival.exe ReadMe.txt Kestrival.html)
  echo "$(basename "$zip"): exe $(stat -c %s "$stage/Kestrival.exe") bytes, zip $(stat -c %s "$zip") bytes"
}

# The Linux gadget as a Debian package: the program, its manual page, a desktop entry, an icon, the
# AppStream data software centres list it by, the help page and a Debian changelog made from
# CHANGELOG.md. The libraries it needs are read from the program by dpkg-shlibdeps, as Debian's
# own packages do; a Japanese font is added by hand. The maintainer is KESTRIVAL_MAINTAINER.
deb_arch=$(dpkg --print-architecture)
deb=$dist/kestrival_${version}_$deb_arch.deb

package_deb() {
  local build=build-release-linux stage=build-release-linux/stage
  local doc=$stage/usr/share/doc/kestrival
  rm -rf "$build"
  # Debian's hardening flags (fortified functions, read-only relocations bound at start-up).
  local cxxflags ldflags
  cxxflags="$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CPPFLAGS) $(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS)"
  ldflags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRIVAL_TESTS=OFF -DKESTRIVAL_BENCH=OFF \
    -DKESTRIVAL_WERROR=ON -DKESTRIVAL_SUPPORT_URL="${KESTRIVAL_SUPPORT_URL:-}" \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
  cmake --build "$build" --target kestrival -j "$(nproc)"
  mkdir -p "$stage/DEBIAN" "$stage/usr/bin" "$stage/usr/share/applications" "$stage/usr/share/metainfo" \
    "$stage/usr/share/icons/hicolor/48x48/apps" "$stage/usr/share/man/man1" "$stage/usr/share/doc-base" "$doc"
  strip --remove-section=.comment --remove-section=.note -o "$stage/usr/bin/kestrival" "$build/kestrival"
  cp packaging/linux/kestrival.desktop "$stage/usr/share/applications/kestrival.desktop"
  sed -e "s/@VERSION@/$version/" -e "s/@DATE@/$(date -u -d "@$SOURCE_DATE_EPOCH" +%F)/" \
    packaging/linux/org.kestrival.kestrival.metainfo.xml >"$stage/usr/share/metainfo/org.kestrival.kestrival.metainfo.xml"
  convert 'app/win32/kestrival.ico[0]' -resize 48x48 -strip -define png:exclude-chunks=date,time \
    "$stage/usr/share/icons/hicolor/48x48/apps/kestrival.png"
  sed "s/^\.TH .*/.TH KESTRIVAL 1 \"$(date -u -d "@$SOURCE_DATE_EPOCH" +%F)\" \"Kestrival $version\" \"User Commands\"/" \
    docs/kestrival.1 | gzip -9n >"$stage/usr/share/man/man1/kestrival.1.gz"
  cp docs/Kestrival.html "$doc/Kestrival.html"
  cp packaging/linux/kestrival.doc-base "$stage/usr/share/doc-base/kestrival.kestrival"
  cp LICENSE "$doc/copyright"
  local depends
  depends=$(shared_library_depends "$stage/usr/bin/kestrival")
  python3 scripts/lib/debian_changelog.py CHANGELOG.md kestrival "$version" "$KESTRIVAL_MAINTAINER" "$SOURCE_DATE_EPOCH" |
    gzip -9n >"$doc/changelog.gz"
  cat >"$stage/DEBIAN/control" <<CONTROL
Package: kestrival
Version: $version
Architecture: $deb_arch
Maintainer: $KESTRIVAL_MAINTAINER
Installed-Size: $(du -sk --apparent-size --exclude=DEBIAN "$stage" | cut -f1)
Depends: $depends, fonts-horai-umefont | fonts-noto-cjk | fonts-ipafont-gothic
Recommends: qt6-wayland
Section: utils
Priority: optional
Description: desktop gadget that counts the days towards goals
 A borderless window of up to 150 goal panels, each with its dates, a progress
 bar, the days elapsed and the days left, with a Japanese user interface. It
 shares its settings file with the Windows version.
CONTROL
  (cd "$stage" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) >"$stage/DEBIAN/md5sums"
  chmod -R u=rwX,go=rX "$stage"
  find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
  echo "$(basename "$deb"): program $(stat -c %s "$stage/usr/bin/kestrival") bytes, package $(stat -c %s "$deb") bytes"
}

# The Depends of the libraries a binary is linked with, as dpkg-shlibdeps reads them from the
# installed packages' symbol files (it wants a source package's control file to stand in).
shared_library_depends() {  # binary
  local source_dir
  source_dir=$(mktemp -d)
  mkdir "$source_dir/debian"
  printf 'Source: kestrival\n\nPackage: kestrival\nArchitecture: any\n' >"$source_dir/debian/control"
  local binary depends
  binary=$(realpath "$1")
  depends=$(cd "$source_dir" && dpkg-shlibdeps -O -e"$binary" | sed -n 's/^shlibs:Depends=//p')
  rm -rf "$source_dir"
  if [ -z "$depends" ]; then
    echo "package: dpkg-shlibdeps found no libraries for $1" >&2
    return 1
  fi
  echo "$depends"
}

package win64 mingw-w64-x86_64.cmake 6.0
package win32 mingw-w64-i686.cmake 5.1
# A stale package from an earlier run must not pass for this one.
rm -f "$deb"
if [ -z "${KESTRIVAL_MAINTAINER:-}" ]; then
  echo "package: no KESTRIVAL_MAINTAINER (\"Name <address>\"): the .deb is not made, only the zips" >&2
else
  package_deb
fi
# What the README's figures are checked against.
{
  for arch in win64 win32; do
    echo "Kestrival-$version-$arch.zip $(stat -c %s "$dist/Kestrival-$version-$arch.zip") bytes, Kestrival.exe $(stat -c %s "build-release-$arch/stage/Kestrival.exe") bytes"
  done
  [ -f "$deb" ] && echo "$(basename "$deb") $(stat -c %s "$deb") bytes"
  (cd "$dist" && sha256sum Kestrival-"$version"-win64.zip Kestrival-"$version"-win32.zip $([ -f "$deb" ] && basename "$deb"))
} >"$dist/SIZES.txt"
cat "$dist/SIZES.txt"
