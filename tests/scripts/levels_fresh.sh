#!/usr/bin/env bash
# Regenerates the level tables from the drawings and fails when the committed content/levels_gen.cpp differs.
set -u
source_dir=$2
python=/usr/bin/python3
if ! "$python" -c 'import svgelements, shapely' 2>/dev/null; then
  echo "python3-svgelements or python3-shapely missing: cannot regenerate the levels" >&2
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! "$python" "$source_dir/tools/levels/convert_levels.py" --no-preview --out "$work/levels_gen.cpp"; then
  echo "the level drawings are refused by the converter" >&2
  exit 1
fi
if ! cmp -s "$source_dir/content/levels_gen.cpp" "$work/levels_gen.cpp"; then
  diff -u "$source_dir/content/levels_gen.cpp" "$work/levels_gen.cpp" | head -40
  echo "content/levels_gen.cpp is stale: run /usr/bin/python3 tools/levels/convert_levels.py" >&2
  exit 1
fi
echo "level tables are fresh"
