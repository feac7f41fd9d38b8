#!/usr/bin/env bash
# Builds Tallyvane (installing what is missing) and starts it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No desktop session found (DISPLAY and WAYLAND_DISPLAY are empty); starting under Xvfb." >&2
  exec xvfb-run -a "$root/build/src/tallyvane" "$@"
fi
exec "$root/build/src/tallyvane" "$@"
