#!/usr/bin/env bash
# Checks that the game's folders depend one way: app/ may include anything,
# content/ includes physics/ and sound/, physics/ includes sound/, sound/
# includes nothing of the game. Prints every include against that order.
# usage: tools/include_order.sh [SOURCE_DIR]
set -euo pipefail
root=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
if [ ! -d "$root/app" ] || [ ! -d "$root/physics" ]; then
  echo "usage: tools/include_order.sh [SOURCE_DIR]  (no app/ and physics/ in '$root')" >&2
  exit 2
fi
# The folders each folder may include, besides itself.
declare -A allowed=([app]="content physics sound" [content]="physics sound" [physics]="sound" [sound]="")
status=0
for from in app content physics sound; do
  [ -d "$root/$from" ] || continue
  while IFS=: read -r file line text; do
    to=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([a-z_]+)\/.*/\1/' <<<"$text")
    [ "$to" = "$from" ] && continue
    [ -z "${allowed[$to]+known}" ] && continue  # not a game folder (tools/, tests/ are outside the game)
    case " ${allowed[$from]} " in *" $to "*) continue ;; esac
    echo "${file#"$root"/}:$line: $from/ includes $to/" >&2
    status=1
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z_]+/' "$root/$from" --include='*.h' --include='*.cpp' || true)
done
exit $status
