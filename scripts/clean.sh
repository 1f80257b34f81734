#!/usr/bin/env bash
# Removes everything the run and test commands made: the build folders, the Wine prefixes
# (out/run-prefix, build/wine-e2e) and the release files. The sources and git's files stay.
set -euo pipefail
cd "$(dirname "$0")/.."
rm -rf build build-* out dist
echo "removed the builds, the Wine prefixes and dist/"
