#!/usr/bin/env bash
# Builds the game for the browser into build-web/ and serves it on this
# machine: open the address it prints. The page (index.html, grapnel.js,
# grapnel.wasm) can be copied as it is to any static web host.
#
#   bash tools/web.sh [--build-only] [--port N]
#
# Installs Debian's emscripten first when it is missing (tools/deps/web.txt).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
port=8000
serve=yes
while [ $# -gt 0 ]; do
  case "$1" in
    --build-only) serve=""; shift ;;
    --port)
      [ $# -ge 2 ] && [[ "$2" =~ ^[0-9]+$ ]] && [ "$2" -ge 1 ] && [ "$2" -le 65535 ] ||
        { echo "web.sh: --port needs a port number from 1 to 65535" >&2; exit 2; }
      port=$2; shift 2 ;;
    -h|--help) sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "web.sh: unknown argument '$1' (try --help)" >&2; exit 2 ;;
  esac
done

bash "$root/tools/install_deps.sh" web
# Debian's emscripten runs its JavaScript tools with the machine's node, which
# looks for Debian's Node.js modules (acorn) only when told where they are.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
out="$root/build-web"
emcmake cmake -S "$root/web" -B "$out" >/dev/null
cmake --build "$out" -j"$(nproc)"
echo "web.sh: built $out/index.html, grapnel.js and grapnel.wasm"
[ -n "$serve" ] || exit 0
echo "web.sh: open http://127.0.0.1:$port/ (Ctrl+C stops the server)"
cd "$out"
exec python3 -m http.server "$port" --bind 127.0.0.1
