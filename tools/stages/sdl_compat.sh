#!/usr/bin/env bash
# Builds the game and runs the whole test suite again against the SDL 1.2
# compatibility library (SDL 1.2 on top of SDL 2), which newer distributions
# ship in place of the classic SDL 1.2. Its Debian packages conflict with the
# classic ones, so they are unpacked into a folder of the build instead.
set -euo pipefail

if [ $# -ne 1 ] || [ -z "$1" ]; then
  echo "usage: sdl_compat.sh BUILD_DIR  (the compatibility build goes to BUILD_DIR-compat)" >&2
  exit 2
fi
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(realpath -m "$1")
compat_build=$build-compat
sysroot=$compat_build/sdl12-compat
# The development files, the library and the shim that gives it the classic
# library's file name (libSDL-1.2.so.0).
packages=(libsdl1.2-compat-dev libsdl1.2-compat libsdl1.2-compat-shim)
# Loaded by the compatibility library at run time; it does not conflict with
# the classic library and comes from tools/deps/test.txt.
runtime_package=libsdl2-2.0-0

say() {
  echo "sdl_compat.sh: $*"
}
die() {
  echo "sdl_compat.sh: $*" >&2
  exit 1
}

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Where the system's SDL 1.2 already is the compatibility library (Debian 13
# and later), the normal run has tested it and there is no other to unpack.
system_version=$(pkg-config --modversion sdl 2>/dev/null || true)
if [ -n "$system_version" ] && [ "$(printf '%s\n' "$system_version" 1.2.50 | sort -V | head -n 1)" = 1.2.50 ]; then
  echo "sdl_compat.sh: skipped: the system's SDL 1.2 is already the compatibility library ($system_version), which the normal run tested"
  exit 77
fi

for tool in apt-get dpkg-deb dpkg-query pkg-config cmake ctest; do
  command -v "$tool" >/dev/null || die "'$tool' is missing; this stage needs a Debian or Ubuntu system"
done
if ! dpkg-query -W -f='${Status}' "$runtime_package" 2>/dev/null | grep -q 'ok installed'; then
  die "$runtime_package is not installed; run: bash tools/install_deps.sh build test"
fi

# 1. Unpack the packages once; the marker lists what was unpacked.
marker=$sysroot/.unpacked
if [ ! -f "$marker" ] || [ "$(cat "$marker")" != "${packages[*]}" ]; then
  say "fetching ${packages[*]}"
  download=$(mktemp -d)
  trap 'rm -rf "$download"' EXIT
  # apt fetches as its own unprivileged user when it may write the folder.
  if [ "$(id -u)" -eq 0 ] && id _apt >/dev/null 2>&1; then chown _apt "$download"; fi
  if ! (cd "$download" && apt-get download -q "${packages[@]}") >"$download/log" 2>&1; then
    say "apt-get download failed; refreshing the package lists once"
    as_root apt-get update -qq
    (cd "$download" && apt-get download -q "${packages[@]}") >"$download/log" 2>&1 || {
      cat "$download/log" >&2
      die "cannot download ${packages[*]}"
    }
  fi
  rm -rf "$sysroot"
  mkdir -p "$sysroot"
  for deb in "$download"/*.deb; do
    dpkg-deb -x "$deb" "$sysroot"
  done
  echo "${packages[*]}" >"$marker"
fi
# The library folder carries the machine's multiarch name (x86_64-linux-gnu).
compat_pc=$(find "$sysroot/usr/lib" -name sdl12_compat.pc -print -quit)
[ -n "$compat_pc" ] || die "the unpacked packages hold no sdl12_compat.pc"
libdir=$(dirname "$(dirname "$compat_pc")")
[ -e "$libdir/libSDL-1.2.so.0" ] || die "the unpacked packages hold no $libdir/libSDL-1.2.so.0"

# 2. A pkg-config module "sdl" that points into the unpacked tree. It comes
#    first on the search path, so it hides the classic library's module.
pcdir=$compat_build/pkgconfig
mkdir -p "$pcdir"
sed -e "s|^prefix=/usr\$|prefix=$sysroot/usr|" \
  -e "s|^libdir=/usr/|libdir=$sysroot/usr/|" \
  -e "s|^includedir=/usr/|includedir=$sysroot/usr/|" \
  "$compat_pc" >"$pcdir/sdl.pc"
export PKG_CONFIG_PATH=$pcdir${PKG_CONFIG_PATH:+:$PKG_CONFIG_PATH}
export LD_LIBRARY_PATH=$libdir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
compat_version=$(pkg-config --modversion sdl)
case "$(pkg-config --cflags sdl)" in
  *"$sysroot"*) ;;
  *) die "pkg-config still finds the classic SDL 1.2 module (version $compat_version)" ;;
esac
say "building against the SDL 1.2 compatibility library $compat_version in $compat_build"

# 3. Build everything, as the normal build does.
cmake -S "$root" -B "$compat_build" -DBUILD_TESTING=ON -DGRAPNEL_WERROR=ON >/dev/null
cmake --build "$compat_build" -j"$(nproc)"

# 4. Every program of the build must load the compatibility library, not the
#    classic one still installed on the system.
checked=0
for program in "$compat_build"/grapnel "$compat_build"/tests/unit_tests "$compat_build"/tests/window_tests; do
  [ -x "$program" ] || continue
  resolved=$(ldd "$program" | awk '$1 == "libSDL-1.2.so.0" { print $3 }')
  [ "$(realpath -m "$resolved")" = "$(realpath "$libdir/libSDL-1.2.so.0")" ] ||
    die "$(basename "$program") loads libSDL-1.2.so.0 from '$resolved', not from $libdir"
  checked=$((checked + 1))
done
[ "$checked" -gt 0 ] || die "no program was built in $compat_build"

# 5. The whole suite. Tests that rely on what only the classic library does
#    (a joystick read from a FIFO) ask the library its version and skip.
cd "$compat_build"
if ctest --output-on-failure -j"$(nproc)"; then
  say "the test suite passed against the SDL 1.2 compatibility library $compat_version"
else
  die "tests failed against the SDL 1.2 compatibility library $compat_version (build in $compat_build)"
fi
