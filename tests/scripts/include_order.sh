#!/usr/bin/env bash
# The game's folders depend one way, and the check says so when one does not.
set -euo pipefail
src=$2
bash "$src/tools/include_order.sh" "$src"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch"/{app,content,physics,sound}
printf '#include "physics/vec2.h"\n#include "app/globals.h"\n' > "$scratch/physics/x.h"
printf '#include "content/level.h"\n' > "$scratch/sound/y.cpp"
printf '#include "app/x.h"\n#include "physics/x.h"\n' > "$scratch/content/z.cpp"
out=$(bash "$src/tools/include_order.sh" "$scratch" 2>&1) && { echo "a physics/ include of app/ passed the check" >&2; exit 1; }
expected="content/z.cpp:1: content/ includes app/
physics/x.h:2: physics/ includes app/
sound/y.cpp:1: sound/ includes content/"
[ "$(sort <<<"$out")" = "$expected" ] || { printf 'unexpected report:\n%s\n' "$out" >&2; exit 1; }
