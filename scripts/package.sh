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
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(Kestrival VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
if [ ! -s docs/Kestrival.html ] && [ -z "${KESTRIVAL_SUPPORT_URL:-}" ]; then
  echo "package: no help page (docs/Kestrival.html) and no KESTRIVAL_SUPPORT_URL: the support item would open nothing" >&2
  exit 1
fi
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
mkdir -p dist

package() {  # arch toolchain floor
  local arch=$1 toolchain=$2 floor=$3
  local build=build-release-$arch stage=build-release-$arch/stage
  rm -rf "$build"
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/$toolchain" -DKESTRIVAL_THREADS=win32 \
    -DCMAKE_BUILD_TYPE=Release -DKESTRIVAL_TESTS=OFF -DKESTRIVAL_WERROR=ON \
    -DKESTRIVAL_SUPPORT_URL="${KESTRIVAL_SUPPORT_URL:-}" >/dev/null
  cmake --build "$build" --target Kestrival -j "$(nproc)" >/dev/null
  scripts/check-imports.sh "$build/Kestrival.exe" "$floor"
  mkdir -p "$stage"
  cp "$build/Kestrival.exe" "$stage/Kestrival.exe"
  sed -e "s/<version>/$version/g" -e 's/$/\r/' docs/windows-readme.txt >"$stage/ReadMe.txt"
  cp docs/Kestrival.html "$stage/Kestrival.html"
  chmod 644 "$stage"/*
  touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*
  local zip=$PWD/dist/Kestrival-$version-$arch.zip
  rm -f "$zip"
  (cd "$stage" && TZ=UTC zip -X -D -q "$zip" Kestrival.exe ReadMe.txt Kestrival.html)
  echo "$(basename "$zip"): exe $(stat -c %s "$stage/Kestrival.exe") bytes, zip $(stat -c %s "$zip") bytes"
}

# The Linux gadget as a Debian package: the program, a desktop entry, an icon and the help page;
# it depends on Debian's Qt 6 and a Japanese font.
package_deb() {
  local build=build-release-linux stage=build-release-linux/stage
  rm -rf "$build"
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRIVAL_TESTS=OFF -DKESTRIVAL_BENCH=OFF \
    -DKESTRIVAL_WERROR=ON -DKESTRIVAL_SUPPORT_URL="${KESTRIVAL_SUPPORT_URL:-}" >/dev/null
  cmake --build "$build" --target kestrival -j "$(nproc)" >/dev/null
  mkdir -p "$stage/DEBIAN" "$stage/usr/bin" "$stage/usr/share/applications" \
    "$stage/usr/share/icons/hicolor/48x48/apps" "$stage/usr/share/doc/kestrival"
  strip -o "$stage/usr/bin/kestrival" "$build/kestrival"
  printf '%s\n' "[Desktop Entry]" "Type=Application" "Name=Kestrival" "Comment=目標までの日数を数えるガジェット" \
    "Exec=kestrival" "Icon=kestrival" "Categories=Utility;" "StartupNotify=false" \
    >"$stage/usr/share/applications/kestrival.desktop"
  convert 'app/win32/kestrival.ico[0]' -resize 48x48 -strip -define png:exclude-chunks=date,time \
    "$stage/usr/share/icons/hicolor/48x48/apps/kestrival.png"
  cp docs/Kestrival.html "$stage/usr/share/doc/kestrival/Kestrival.html"
  cp LICENSE "$stage/usr/share/doc/kestrival/copyright"
  cat >"$stage/DEBIAN/control" <<CONTROL
Package: kestrival
Version: $version
Architecture: $(dpkg --print-architecture)
Maintainer: Kestrival developers <kestrival@users.noreply.example>
Depends: libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), libxcb1, fonts-horai-umefont | fonts-noto-cjk | fonts-ipafont-gothic
Section: utils
Priority: optional
Description: desktop gadget that counts the days towards goals
 A borderless window of up to 150 goal panels, each with its dates, a progress
 bar, the days elapsed and the days left, with a Japanese user interface. It
 shares its settings file with the Windows version.
CONTROL
  chmod -R u=rwX,go=rX "$stage"
  find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  local deb=dist/kestrival_${version}_$(dpkg --print-architecture).deb
  rm -f "$deb"
  dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
  echo "$(basename "$deb"): program $(stat -c %s "$stage/usr/bin/kestrival") bytes, package $(stat -c %s "$deb") bytes"
}

package win64 mingw-w64-x86_64.cmake 6.0
package win32 mingw-w64-i686.cmake 5.1
package_deb
# What the README's figures are checked against.
{
  for arch in win64 win32; do
    echo "Kestrival-$version-$arch.zip $(stat -c %s "dist/Kestrival-$version-$arch.zip") bytes, Kestrival.exe $(stat -c %s "build-release-$arch/stage/Kestrival.exe") bytes"
  done
  echo "kestrival_${version}_$(dpkg --print-architecture).deb $(stat -c %s dist/kestrival_"$version"_*.deb) bytes"
  (cd dist && sha256sum Kestrival-"$version"-win64.zip Kestrival-"$version"-win32.zip kestrival_"$version"_*.deb)
} >dist/SIZES.txt
cat dist/SIZES.txt
