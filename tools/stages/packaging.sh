#!/usr/bin/env bash
# Packaging check: installs a build into staging folders as a user and as a
# distribution packager would, checks the layout and validates the desktop
# entry, the AppStream metainfo, the icon and the manual page with the
# distribution's own validators.
set -euo pipefail

if [ $# -ne 1 ] || [ ! -f "${1:-}/CMakeCache.txt" ]; then
  echo "usage: packaging.sh BUILD_DIR  (a configured and built grapnel build folder)" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

for tool in cmake desktop-file-validate appstreamcli man lexgrog xmllint col Xvfb xdotool timeout; do
  if ! command -v "$tool" >/dev/null; then
    echo "packaging.sh: '$tool' is missing; run: bash tools/install_deps.sh test" >&2
    exit 2
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
pass() {
  echo "ok:   $*"
}

# Runs a validator; any output, not only a failing status, counts against it,
# since several validators print warnings and still exit 0.
validate() {
  local what=$1
  shift
  local out
  if out=$("$@" 2>&1) && [ -z "$out" ]; then
    pass "$what"
  else
    fail "$what"
    printf '%s\n' "$out" | sed 's/^/      /' >&2
  fi
}

expect_equal() {
  if [ "$2" = "$3" ]; then
    pass "$1 is '$3'"
  else
    fail "$1 is '$2', expected '$3'"
  fi
}

# appstreamcli --strict, where a validator older than AppStream 1.0 may
# report only that it does not know the <developer> tag 1.0 brought in (and
# whose absence 1.0 reports): the metainfo is written for 1.0.
appstream_status() {
  local what=$1
  shift
  local out
  if out=$("$@" 2>&1); then
    pass "$what"
  elif [[ "$(appstreamcli --version)" =~ version:\ 0\. ]] &&
    ! printf '%s\n' "$out" | grep -E '^ *[EWIP]: ' | grep -qv 'unknown-tag developer$'; then
    pass "$what (this AppStream predates the <developer> tag)"
  else
    fail "$what"
    printf '%s\n' "$out" | sed 's/^/      /' >&2
  fi
}

# Reads one XPath string from an XML file (namespace-free documents only).
xml_text() {
  xmllint --xpath "string($2)" "$1" 2>/dev/null
}

# Checks one installed tree below PREFIX_DIR whose binary sits in BIN_SUBDIR.
check_tree() {
  local label=$1 prefix_dir=$2 bin_subdir=$3

  # The exact set of files: a stray or missing file is a packaging fault.
  local metainfos=("$prefix_dir"/share/metainfo/*.metainfo.xml)
  if [ ${#metainfos[@]} -ne 1 ] || [ ! -f "${metainfos[0]}" ]; then
    fail "$label: expected exactly one metainfo file in share/metainfo"
    return
  fi
  local metainfo=${metainfos[0]}
  local app_id
  app_id=$(basename "$metainfo" .metainfo.xml)
  local expected
  expected=$(printf '%s\n' \
    "$bin_subdir/grapnel" \
    "share/applications/$app_id.desktop" \
    "share/icons/hicolor/scalable/apps/$app_id.svg" \
    "share/man/man6/grapnel.6" \
    "share/metainfo/$app_id.metainfo.xml" | sort)
  local found
  found=$(cd "$prefix_dir" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort)
  if [ "$found" = "$expected" ]; then
    pass "$label: installed files are exactly the expected set"
  else
    fail "$label: installed files differ from the expected set"
    diff <(printf '%s\n' "$expected") <(printf '%s\n' "$found") | sed 's/^/      /' >&2 || true
  fi

  local binary=$prefix_dir/$bin_subdir/grapnel
  local desktop=$prefix_dir/share/applications/$app_id.desktop
  local icon=$prefix_dir/share/icons/hicolor/scalable/apps/$app_id.svg
  local page=$prefix_dir/share/man/man6/grapnel.6
  if [ -x "$binary" ]; then
    pass "$label: $bin_subdir/grapnel is executable"
  else
    fail "$label: $bin_subdir/grapnel is missing or not executable"
  fi
  if [ ! -f "$desktop" ] || [ ! -f "$icon" ] || [ ! -f "$page" ]; then
    return 0
  fi

  validate "$label: desktop-file-validate" desktop-file-validate "$desktop"
  # appstreamcli always prints a verdict; --strict fails on anything above
  # a pedantic hint. The tree check also ties the metainfo to its desktop file.
  appstream_status "$label: appstreamcli validate --strict" \
    appstreamcli validate --no-net --strict "$metainfo"
  appstream_status "$label: appstreamcli validate-tree --strict" \
    appstreamcli validate-tree --no-net --strict "$prefix_dir"
  validate "$label: icon is well-formed XML" xmllint --noout "$icon"
  if [ "$(xmllint --xpath 'name(/*)' "$icon" 2>/dev/null)" = "svg" ] &&
    [ -n "$(xml_text "$icon" '/*/@viewBox')" ]; then
    pass "$label: icon is an SVG with a viewBox"
  else
    fail "$label: icon is not an SVG document with a viewBox (it must scale)"
  fi
  # A clean page makes man print nothing on standard error.
  local warnings
  warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null) || true
  if [ -z "$warnings" ]; then
    pass "$label: man --warnings"
  else
    fail "$label: man --warnings"
    printf '%s\n' "$warnings" | sed 's/^/      /' >&2
  fi
  if lexgrog "$page" | grep -q ': "grapnel - '; then
    pass "$label: manual NAME line is readable by whatis"
  else
    fail "$label: lexgrog cannot read the NAME line of the manual"
  fi

  # The pieces must name each other: desktop file, icon, metainfo, binary.
  expect_equal "$label: desktop Exec" "$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")" grapnel
  expect_equal "$label: desktop Icon" "$(sed -n 's/^Icon=//p' "$desktop")" "$app_id"
  expect_equal "$label: desktop Categories" "$(sed -n 's/^Categories=//p' "$desktop")" \
    "Game;ArcadeGame;"
  expect_equal "$label: metainfo id" "$(xml_text "$metainfo" '/component/id')" "$app_id"
  expect_equal "$label: metainfo launchable" \
    "$(xml_text "$metainfo" '/component/launchable[@type="desktop-id"]')" "$app_id.desktop"
  expect_equal "$label: metainfo provided binary" \
    "$(xml_text "$metainfo" '/component/provides/binary')" grapnel
}

# Prints the messages listed in the manual's DIAGNOSTICS section, one a line,
# with every italic placeholder (a name, a reason) written as <VAR>.
manual_messages() {
  # GROFF_NO_SGR: groff 1.23 (Debian 13) marks bold and italic with colour
  # escapes unless told to overstrike as older releases do.
  MAN_KEEP_FORMATTING=1 GROFF_NO_SGR=1 MANWIDTH=1000 man -E ascii -l "$1" 2>/dev/null |
    sed -E 's/(_\x08[^_])+/<VAR>/g; s/.\x08//g' |
    awk '/^[^ ]/ { section = $0; next }
         section == "DIAGNOSTICS" {
           # A tag line (7 spaces in) followed by its body (14 spaces in).
           if (prev != "" && $0 ~ /^              [^ ]/) print substr(prev, 8)
           prev = ($0 ~ /^       [^ ]/) ? $0 : ""
         }'
}

# Turns a documented message into an extended regular expression for a line.
message_pattern() {
  printf '^%s$' "$(printf '%s' "$1" | sed -E 's/[][\.*^$+?(){}|/]/\\&/g; s/<VAR>/.+/g')"
}

# The game's printf/fprintf formats, with conversions written as <VAR>.
# Formats made only of conversions and punctuation (a helper's "%s: %s")
# carry no text of their own; the runs below check what they print.
source_messages() {
  local sources=()
  mapfile -t sources < <(find "$root/app" "$root/physics" "$root/sound" "$root/content" \
    \( -name '*.cpp' -o -name '*.h' \) | sort)
  grep -ohE '\bf?printf\s*\(\s*([A-Za-z_][A-Za-z_0-9]*\s*,\s*)?"([^"\\]|\\.)*"' "${sources[@]}" |
    sed -E 's/^[^"]*"//; s/"$//; s/\\n$//; s/%[-+ #0-9.]*[a-z]+/<VAR>/g' |
    grep -E '[A-Za-z]{2}' | grep -vxE '(<VAR>|[^A-Za-z])*' | sort -u
}

source_options() {
  find "$root/app" -name '*.cpp' -exec grep -ohE '"--[a-z][a-z-]*"' {} + | tr -d '"' | sort -u
}

# Runs the installed binary in the cases that make it write its messages and
# leaves NAME.status, NAME.out and NAME.err in the folder given.
run_installed_binary() {
  local binary=$1 out=$2
  run_case() {
    local name=$1
    shift
    local status=0
    (cd "$out" && timeout 60 "$@" >"$out/$name.out" 2>"$out/$name.err") || status=$?
    echo "$status" >"$out/$name.status"
  }
  run_case no_display env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 \
    SDL_AUDIODRIVER=dummy "$binary" --windowed
  # The rest share one private X server.
  cat >"$out/under_x.sh" <<'INNER'
set -u
binary=$1 out=$2
run() {
  local name=$1
  shift
  local status=0
  timeout 60 "$@" >"$out/$name.out" 2>"$out/$name.err" || status=$?
  echo "$status" >"$out/$name.status"
}
# An unknown option is reported; a width SDL cannot take fails the video mode.
run bad_mode env SDL_AUDIODRIVER=dummy "$binary" --no-such-option --width 70000 --windowed
# ALSA with a device that does not exist: SDL starts, the device cannot be
# opened. Both SDL 1.2 libraries fail the same way here, unlike with a driver
# name they do not know.
run no_audio env SDL_AUDIODRIVER=alsa AUDIODEV=grapnel-no-such-device "$binary" --windowed
# A normal run quits with Escape. Keyboard focus follows the pointer here.
SDL_AUDIODRIVER=dummy timeout 60 "$binary" --windowed >"$out/quit.out" 2>"$out/quit.err" &
pid=$!
status=0
if wid=$(timeout 20 xdotool search --sync --onlyvisible --class grapnel | head -n 1) && [ -n "$wid" ]; then
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
  for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    xdotool key Escape
    sleep 0.2
  done
else
  echo "no grapnel window appeared" >>"$out/quit.err"
fi
wait "$pid" || status=$?
echo "$status" >"$out/quit.status"
INNER
  bash "$root/tests/with_xvfb.sh" bash "$out/under_x.sh" "$binary" "$out" >"$out/xvfb.log" 2>&1 ||
    true
}

# Checks that the manual documents every option the game parses and every
# message the installed binary writes, and lists no message it cannot write.
check_manual_against_game() {
  local page=$1 binary=$2
  local text
  # A wide page keeps each paragraph on one line, so nothing is hyphenated.
  if ! text=$(MANWIDTH=1000 man -E ascii -l "$page" 2>/dev/null | col -b); then
    fail "manual: man cannot render $page"
    return
  fi
  local option
  while read -r option; do
    if printf '%s\n' "$text" | grep -qE -- "(^|[[:space:]])$option([[:space:]]|$)"; then
      pass "manual documents the option $option"
    else
      fail "manual does not document the option $option"
    fi
  done < <(source_options)

  local documented=()
  mapfile -t documented < <(manual_messages "$page")
  if [ ${#documented[@]} -lt 1 ]; then
    fail "manual: no messages found in its DIAGNOSTICS section"
    return
  fi
  declare -A seen=()
  local message found
  while read -r message; do
    if printf '%s\n' "${documented[@]}" | grep -qxF -- "$message"; then
      pass "manual documents the message \"$message\" of the sources"
      seen[$message]=1
    else
      fail "manual does not document the message \"$message\" of the sources"
    fi
  done < <(source_messages)

  local runs=$work/runs
  mkdir -p "$runs"
  run_installed_binary "$binary" "$runs"
  local case expected_status line
  for case in no_display bad_mode no_audio quit; do
    expected_status=1
    [ "$case" = quit ] && expected_status=0
    if [ "$(cat "$runs/$case.status" 2>/dev/null)" != "$expected_status" ]; then
      fail "installed binary, $case: exit status $(cat "$runs/$case.status" 2>/dev/null || echo none), expected $expected_status"
      sed 's/^/      /' "$runs/$case.err" "$runs/xvfb.log" 2>/dev/null >&2 || true
      continue
    fi
    pass "installed binary, $case: exit status $expected_status"
    [ "$case" = quit ] && continue
    if [ ! -s "$runs/$case.err" ]; then
      fail "installed binary, $case: wrote no message on standard error"
      continue
    fi
    while IFS= read -r line; do
      # ALSA reports the missing device in lines of its own.
      case "$line" in "ALSA lib "*) continue ;; esac
      found=""
      for message in "${documented[@]}"; do
        if printf '%s\n' "$line" | grep -qE -- "$(message_pattern "$message")"; then
          found=$message
          break
        fi
      done
      if [ -n "$found" ]; then
        pass "installed binary, $case: \"$line\" is documented"
        seen[$found]=1
      else
        fail "installed binary, $case: \"$line\" is not documented in the manual"
      fi
    done <"$runs/$case.err"
  done

  for message in "${documented[@]}"; do
    [ -n "${seen[$message]:-}" ] ||
      fail "manual documents \"$message\", which neither the sources nor a run show"
  done
}

# 1. A user's install into a staging prefix.
user_stage=$work/user
if cmake --install "$build" --prefix "$user_stage" >"$work/install.log" 2>&1; then
  pass "cmake --install --prefix STAGING"
  check_tree "user install" "$user_stage" bin
  if [ -x "$user_stage/bin/grapnel" ] && [ -f "$user_stage/share/man/man6/grapnel.6" ]; then
    check_manual_against_game "$user_stage/share/man/man6/grapnel.6" "$user_stage/bin/grapnel"
  fi
else
  fail "cmake --install --prefix STAGING"
  sed 's/^/      /' "$work/install.log" >&2
fi

# 2. A distribution's install: prefix /usr, the binary in games/, DESTDIR.
#    Its build is kept inside the build folder, so reruns are incremental.
packager_build=$build/packaging-games
if cmake -S "$root" -B "$packager_build" -DBUILD_TESTING=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr -DGRAPNEL_INSTALL_BINDIR=games >"$work/configure.log" 2>&1 &&
  cmake --build "$packager_build" --target grapnel -j"$(nproc)" >"$work/build.log" 2>&1 &&
  DESTDIR=$work/distro cmake --install "$packager_build" >"$work/install.log" 2>&1; then
  pass "packager install (prefix /usr, bin dir games, DESTDIR)"
  check_tree "packager install" "$work/distro/usr" games
else
  fail "packager configure, build or install with -DGRAPNEL_INSTALL_BINDIR=games"
  cat "$work"/configure.log "$work"/build.log "$work"/install.log 2>/dev/null |
    tail -n 30 | sed 's/^/      /' >&2
fi

if [ "$failures" -gt 0 ]; then
  echo "packaging.sh: $failures check(s) failed" >&2
  exit 1
fi
echo "packaging.sh: all packaging checks passed"
