#!/usr/bin/env bash
# Fails when a C++ file of the tree is not formatted as .clang-format says (Debian's clang-format,
# installed when missing). With --fix, formats them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh clang-format
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [[ "${1:-}" == --fix ]]; then
    clang-format -i "${files[@]}"
else
    clang-format --dry-run -Werror "${files[@]}"
fi
