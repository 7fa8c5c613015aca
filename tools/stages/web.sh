#!/usr/bin/env bash
# The browser build and its tests: builds the page with emscripten, draws the
# reference picture and hash with the desktop build, and runs
# tests/web/browser_test.js in headless chromium through puppeteer-core.
# Exits 77 when the machine cannot have emscripten or chromium.
set -euo pipefail
if [ $# -ne 1 ] || [ -z "$1" ]; then
  echo "usage: web.sh BUILD_DIR  (a configured desktop build; the page goes to build-web/)" >&2
  exit 2
fi
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(realpath -m "$1")
say() { echo "web.sh: $*"; }
skip() { echo "web.sh: skipped: $*"; exit 77; }

command -v apt-get >/dev/null || skip "no apt-get to install emscripten and chromium"
bash "$root/tools/install_deps.sh" web || skip "tools/install_deps.sh web could not install the packages"
command -v npm >/dev/null || bash "$root/tools/install_deps.sh" npm || skip "tools/install_deps.sh npm could not install npm"
command -v npm >/dev/null || skip "npm is missing"

started=$(date +%s)
bash "$root/tools/web.sh" --build-only
cmake --build "$build" -j"$(nproc)" --target web_desktop_ref solver

# The references: level 1's inputs from the solver, the state hash its replay
# ends in, and the scene drawn by the desktop renderer under Xvfb.
ref=$(mktemp -d)
trap 'rm -rf "$ref"' EXIT
"$build/solver" --level 1 --write "$ref" >/dev/null
"$build/solver" --replay "$ref/level1.inputs" --level 1 |
  sed -n 's/.*hash \([0-9a-f]*\)$/\1/p' >"$ref/level1.hash"
[ -s "$ref/level1.hash" ] || { echo "web.sh: the desktop replay gave no hash" >&2; exit 1; }
bash "$root/tests/with_xvfb.sh" "$build/web_desktop_ref" picture "$ref/level1.inputs" 1 100 500 120 "$ref/scene.ppm"

tests="$root/tests/web"
if [ ! -f "$tests/node_modules/.package-lock.json" ] ||
   [ "$tests/package-lock.json" -nt "$tests/node_modules/.package-lock.json" ]; then
  (cd "$tests" && npm ci --no-audit --no-fund)
fi
say "built and prepared in $(( $(date +%s) - started )) s; running the browser tests"
GRAPNEL_WEB_BUILD="$root/build-web" GRAPNEL_WEB_REF="$ref" GRAPNEL_DESKTOP_REF="$build/web_desktop_ref" \
  node --test-reporter=tap --test "$tests/browser_test.js"
say "done in $(( $(date +%s) - started )) s"
