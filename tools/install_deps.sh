#!/usr/bin/env bash
# Installs the Debian packages listed in tools/deps/GROUP.txt for each GROUP
# given, when any of them is missing. Uses apt-get as root, sudo otherwise.
# A list entry may carry @clang@ where a package name holds clang's major
# version (the sanitizer and fuzzer runtime): it becomes the version of the
# clang installed by the same lists, so no release's version is written down.
set -euo pipefail
deps_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/deps

if [ $# -eq 0 ]; then
  echo "usage: install_deps.sh GROUP...  (groups: $(cd "$deps_dir" && ls -- *.txt | sed 's/\.txt$//' | paste -sd' '))" >&2
  exit 2
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
updated=""

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'
}

install_missing() {
  local missing=() pkg
  for pkg in "$@"; do
    installed "$pkg" || missing+=("$pkg")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "Installing: ${missing[*]}"
  if [ -z "$updated" ]; then
    $sudo apt-get update -qq
    updated=1
  fi
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# The major version of the installed clang, or of the one apt would install.
clang_major() {
  local v=""
  if command -v clang >/dev/null; then
    v=$(clang --version 2>/dev/null | sed -n 's/.*clang version \([0-9][0-9]*\)\..*/\1/p' | head -n 1)
  fi
  if [ -z "$v" ]; then
    v=$(apt-cache depends clang 2>/dev/null | sed -n 's/^ *Depends: clang-\([0-9][0-9]*\)$/\1/p' | head -n 1)
  fi
  echo "$v"
}

# The runtime package that matches clang N: libclang-rt-N-dev since clang 14;
# older releases kept the runtime in libclang-common-N-dev.
resolve_clang_entry() {
  local entry=$1 major=$2
  local name=${entry//@clang@/$major}
  if ! installed "$name" && ! apt-cache show "$name" >/dev/null 2>&1; then
    case "$name" in
      libclang-rt-*-dev) name="libclang-common-$major-dev" ;;
    esac
  fi
  echo "$name"
}

plain=()
versioned=()
for group in "$@"; do
  list="$deps_dir/$group.txt"
  if [ ! -f "$list" ]; then
    echo "install_deps.sh: no package list '$group' in $deps_dir" >&2
    exit 2
  fi
  while read -r pkg; do
    case "$pkg" in ''|\#*) continue ;; *@clang@*) versioned+=("$pkg") ;; *) plain+=("$pkg") ;; esac
  done <"$list"
done

install_missing "${plain[@]}"
if [ ${#versioned[@]} -gt 0 ]; then
  major=$(clang_major)
  if [ -z "$major" ]; then
    echo "install_deps.sh: cannot tell clang's version for ${versioned[*]}; is clang in the lists?" >&2
    exit 1
  fi
  resolved=()
  for entry in "${versioned[@]}"; do
    resolved+=("$(resolve_clang_entry "$entry" "$major")")
  done
  install_missing "${resolved[@]}"
fi
