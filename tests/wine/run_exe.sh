#!/usr/bin/env bash
# Runs a Windows exe under Wine in the harness's prefix and passes on its exit code.
set -euo pipefail
exec "$WINE" "$@"
