#!/usr/bin/env bash
# Counts code lines (not blank, not a // comment line) of the engine and game against the tests and fuzz
# targets, and prints the ratio; the test tree is meant to stay at most 0.35 of the code it tests.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

# Code lines of the .cpp and .h files under the given folders (missing folders count 0).
count() {
    local dirs=()
    local dir
    for dir in "$@"; do
        [ -d "$dir" ] && dirs+=("$dir")
    done
    if [ "${#dirs[@]}" -eq 0 ]; then
        echo 0
        return
    fi
    find "${dirs[@]}" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 -r cat |
        awk '!/^[[:space:]]*$/ && !/^[[:space:]]*\/\//' | wc -l
}

code="$(count engine game)"
tests="$(count tests fuzz)"
ratio="$(awk -v t="$tests" -v c="$code" 'BEGIN { if (c > 0) printf "%.3f", t / c; else print "n/a" }')"
echo "lines: engine+game $code, tests+fuzz $tests, ratio $ratio"
