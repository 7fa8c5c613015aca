#!/usr/bin/env bash
# Debian 13 stage: the README's two commands on a fresh, minimal Debian 13
# ("trixie"), made with debootstrap from the mirror the machine's apt uses.
# Clones of the committed project go into the root; as root,
# `bash tools/play.sh` installs the build packages, builds and starts the game
# (which has no display there, so it must stop with its own message); then, as
# a user with sudo, `bash tools/test.sh` installs the test packages and runs
# every test and stage. The root's base is kept
# in a cache folder (see tools/debian_root.sh); each run starts from a fresh
# copy of it, mounts are undone on every way out, and the time is printed.
# Usage: debian13.sh BUILD_DIR   (the build folder is not used: the root builds its own)
#   FUZZ_SECONDS inside the root defaults to 10 (the fuzzers' real run is the machine's own).
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: debian13.sh BUILD_DIR" >&2
  exit 2
fi
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
dr_name=debian13.sh
# shellcheck source=../debian_root.sh
. "$root/tools/debian_root.sh"

if dr_inside_root; then
  echo "debian13.sh: skipped: this is a root made by the Debian-root stages; a root is not made inside one"
  exit 77
fi
if [ "$(. /etc/os-release 2>/dev/null && echo "${ID:-}-${VERSION_ID:-}")" = debian-13 ]; then
  echo "debian13.sh: skipped: this machine is Debian 13, so the normal run already is the Debian 13 run"
  exit 77
fi

dr_open trixie debian13
commit=$(git -c safe.directory="*" -C "$root" rev-parse --short HEAD)

# 1. The play command, as root: no display in the root, so the game must
#    stop at SDL's start with its exit status 1 and its message.
dr_clone "$root" root grapnel
dr_say "as root, in a clone of $commit: bash tools/play.sh --windowed"
play_status=0
dr_run SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy \
  bash -c 'cd "$1" && bash tools/play.sh --windowed' _ "$dr_project" \
  >"$dr_run_dir/play.log" 2>&1 || play_status=$?
if [ "$play_status" -ne 1 ] || ! grep -q "^Unable to " "$dr_run_dir/play.log"; then
  tail -n 40 "$dr_run_dir/play.log" >&2
  dr_die "play.sh did not build and start the game (status $play_status, expected 1 for no display)"
fi
dr_say "play.sh built the game, which stopped for want of a display as it should: $(grep "^Unable to " "$dr_run_dir/play.log")"

# 2. The test command, as the user with sudo, in a clone of the user's own,
#    with every stage.
dr_clone "$root" "$dr_user" grapnel
dr_say "as $dr_user (sudo for apt-get), in a clone of $commit: bash tools/test.sh"
test_status=0
dr_run_as_user FUZZ_SECONDS="${FUZZ_SECONDS:-10}" bash -c 'cd "$1" && bash tools/test.sh' _ "$dr_project" ||
  test_status=$?
[ "$test_status" -eq 0 ] || dr_die "tools/test.sh failed on Debian 13 (status $test_status)"
dr_say "tools/test.sh passed on Debian 13"
