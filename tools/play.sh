#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it; arguments go to the
# game (for example --windowed).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/install_deps.sh" build
cmake -S "$root" -B "$root/build" -DBUILD_TESTING=OFF >/dev/null
cmake --build "$root/build" --target grapnel -j"$(nproc)"
exec "$root/build/grapnel" "$@"
