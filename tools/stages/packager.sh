#!/usr/bin/env bash
# Packager stage: a distribution's build of the game alone, in a fresh minimal
# Debian 13 root (the same cached base as debian13.sh) that has only the
# packages of tools/deps/build.txt: no GoogleTest, no test tools. There the
# README's install commands must work, with --prefix /usr and with DESTDIR,
# the tests must not be built, and the installed files must be exactly the
# ones that the full build (BUILD_DIR, with its tests) installs.
# Usage: packager.sh BUILD_DIR   (a configured grapnel build folder of this machine)
set -euo pipefail
if [ $# -ne 1 ] || [ ! -f "${1:-}/CMakeCache.txt" ]; then
  echo "usage: packager.sh BUILD_DIR  (a configured and built grapnel build folder)" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
dr_name=packager.sh
# shellcheck source=../debian_root.sh
. "$root/tools/debian_root.sh"

if dr_inside_root; then
  echo "packager.sh: skipped: this is a root made by the Debian-root stages; a root is not made inside one"
  exit 77
fi

files_of() {
  (cd "$1" && find . \( -type f -o -type l \) | sed 's|^\./|/|' | sort)
}

dr_open trixie packager
# The full build's file set, staged under /usr as the packager's will be.
full_stage=$dr_run_dir/full-stage
DESTDIR=$full_stage cmake --install "$build" --prefix /usr >/dev/null
files_of "$full_stage" >"$dr_run_dir/full.files"

dr_clone "$root" "$dr_user" grapnel
dr_say "installing only tools/deps/build.txt in the root"
dr_run bash "$dr_project/tools/install_deps.sh" build >"$dr_run_dir/deps.log" 2>&1 || {
  tail -n 20 "$dr_run_dir/deps.log" >&2
  dr_die "installing the build packages failed"
}
if dr_run dpkg-query -W -f='${Status}' libgtest-dev 2>/dev/null | grep -q 'ok installed'; then
  dr_die "GoogleTest is installed in the root; it must hold only the build packages"
fi

# The README's packager commands, word for word, as the user; then the
# install as root into /usr, and once more into a staging folder.
dr_say "as $dr_user: cmake -S . -B build -DCMAKE_BUILD_TYPE=Release && cmake --build build"
dr_run_as_user bash -c 'cd "$1" && cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >../configure.log &&
    cmake --build build -j"$(nproc)" >../build.log' _ "$dr_project" || {
  tail -n 30 "$dr_root/home/$dr_user/configure.log" "$dr_root/home/$dr_user/build.log" >&2 || true
  dr_die "the packager's configure or build failed with only the build packages"
}
dr_run bash -c 'cd "$1" && cmake --install build --prefix /usr >/dev/null' _ "$dr_project" ||
  dr_die "cmake --install build --prefix /usr failed"
# What the --prefix /usr install wrote, before the staged one rewrites the list.
sort "$dr_root$dr_project/build/install_manifest.txt" >"$dr_run_dir/prefix.files"
dr_run bash -c 'cd "$1" && DESTDIR=/tmp/staging cmake --install build --prefix /usr >/dev/null' _ "$dr_project" ||
  dr_die "DESTDIR=/tmp/staging cmake --install build --prefix /usr failed"

status=0
if [ -e "$dr_root$dr_project/build/tests" ] || grep -q '^BUILD_TESTING:BOOL=ON' "$dr_root$dr_project/build/CMakeCache.txt"; then
  echo "FAIL: the tests were configured though GoogleTest is not installed" >&2
  status=1
else
  echo "ok:   the tests were left out (BUILD_TESTING is off without GoogleTest)"
fi
files_of "$dr_root/tmp/staging" >"$dr_run_dir/destdir.files"
for kind in destdir prefix; do
  if diff -u "$dr_run_dir/full.files" "$dr_run_dir/$kind.files" >"$dr_run_dir/$kind.diff"; then
    echo "ok:   the $kind install holds the full build's $(wc -l <"$dr_run_dir/full.files") files"
  else
    echo "FAIL: the $kind install differs from the full build's:" >&2
    sed 's/^/      /' "$dr_run_dir/$kind.diff" >&2
    status=1
  fi
done
while read -r file; do
  [ -e "$dr_root$file" ] || { echo "FAIL: $file is listed as installed but missing in the root" >&2; status=1; }
done <"$dr_run_dir/prefix.files"
# The installed game starts and, with no display, stops with its own message.
game_status=0
dr_run SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy /usr/bin/grapnel --windowed >"$dr_run_dir/game.log" 2>&1 ||
  game_status=$?
if [ "$game_status" -eq 1 ] && grep -q '^Unable to ' "$dr_run_dir/game.log"; then
  echo "ok:   /usr/bin/grapnel runs: $(head -n 1 "$dr_run_dir/game.log")"
else
  echo "FAIL: /usr/bin/grapnel without a display: status $game_status, expected 1 and its message" >&2
  cat "$dr_run_dir/game.log" >&2
  status=1
fi
[ "$status" -eq 0 ] || dr_die "the packager's build is not what the full build installs"
dr_say "the packager's build with only the build packages installs the full build's files"
