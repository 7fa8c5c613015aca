#!/usr/bin/env bash
# The tests' share of the code: prints the count of tools/test_share.sh and
# fails when the tests (tests/ and fuzz/) pass 35 % of the hand-written code.
# Usage: test_share.sh BUILD_DIR  (the build folder is not used)
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: test_share.sh BUILD_DIR" >&2; exit 2; }
exec bash "$(dirname "${BASH_SOURCE[0]}")/../test_share.sh"
