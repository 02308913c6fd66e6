#!/usr/bin/env bash
# Fails when any C++ source of the project differs from what clang-format makes of it.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
mapfile -t files < <(git ls-files -- 'engine/*.h' 'engine/*.cpp' 'game/*.h' 'game/*.cpp' \
    'tests/*.h' 'tests/*.cpp' 'bench/*.h' 'bench/*.cpp' 'fuzz/*.h' 'fuzz/*.cpp' \
    'examples/*.h' 'examples/*.cpp')
if [ "${#files[@]}" -eq 0 ]; then
    echo "format: no sources"
    exit 0
fi
if clang-format --dry-run --Werror "${files[@]}"; then
    echo "format: ${#files[@]} files clean"
else
    echo "format: FAILED (run clang-format -i on the files above)"
    exit 1
fi
