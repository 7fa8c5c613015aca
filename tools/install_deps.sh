#!/usr/bin/env bash
# Installs the Debian packages listed in tools/deps/GROUP.txt for each GROUP
# given, when any of them is missing. Uses apt-get as root, sudo otherwise.
set -euo pipefail
deps_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/deps
missing=()
for group in "$@"; do
  list="$deps_dir/$group.txt"
  if [ ! -f "$list" ]; then
    echo "install_deps.sh: no package list '$group' in $deps_dir" >&2
    exit 2
  fi
  while read -r pkg; do
    case "$pkg" in ''|\#*) continue ;; esac
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed'; then
      missing+=("$pkg")
    fi
  done < "$list"
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
