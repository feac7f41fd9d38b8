#!/usr/bin/env bash
# Builds Tallyvane (installing what is missing) and starts it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ $# -eq 0 ]; then
  # No window to show: how to use it from the terminal instead.
  echo "No desktop session found (DISPLAY and WAYLAND_DISPLAY are empty); Tallyvane works from the terminal:" >&2
  exec "$root/build/src/tallyvane" --help
fi
exec "$root/build/src/tallyvane" "$@"
