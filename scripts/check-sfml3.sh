#!/usr/bin/env bash
# Compile-only check of the engine and game against SFML 3 headers, which Debian 12 does not package: the
# headers are fetched from Debian unstable into a private apt state and unpacked under a temporary folder.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="${NV_SFML3_DIR:-/tmp/nv-sfml3}"
mkdir -p "$work/lists/partial" "$work/debs" "$work/root"
echo 'deb http://deb.debian.org/debian sid main' >"$work/sources.list"
apt_opts=(-oDir::Etc::SourceList="$work/sources.list" -oDir::Etc::SourceParts=/dev/null
    -oDir::State::Lists="$work/lists" -oDebug::NoLocking=1)
if [ ! -f "$work/root/usr/include/SFML/Config.hpp" ]; then
    apt-get "${apt_opts[@]}" update -q
    (cd "$work/debs" && apt-get "${apt_opts[@]}" download libsfml-dev)
    for deb in "$work"/debs/*.deb; do
        dpkg-deb -x "$deb" "$work/root"
    done
fi
grep -E 'define SFML_VERSION_(MAJOR|MINOR)' "$work/root/usr/include/SFML/Config.hpp"
failed=0
cd "$ROOT"
for src in engine/*/*.cpp game/*.cpp; do
    if ! g++ -std=c++17 -fsyntax-only -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor \
        -I"$work/root/usr/include" -Iengine -Igame "$src"; then
        echo "SFML 3: $src FAILED"
        failed=1
    fi
done
[ "$failed" -eq 0 ] && echo "SFML 3: every engine and game source compiles"
exit "$failed"
