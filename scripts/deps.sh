#!/usr/bin/env bash
# Shared by play.sh and test.sh: installs the Debian/Ubuntu packages the project needs that are missing.

NV_PACKAGES=(
    cmake make g++ pkg-config ccache clang-format doxygen
    libsfml-dev libx11-dev libopenal1 fonts-dejavu-core
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    xvfb xauth xdotool sox imagemagick libgl1-mesa-dri
    clang libclang-rt-14-dev
)

nv_as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "Need root rights to run: $*" >&2
        return 1
    fi
}

nv_install_deps() {
    local missing=()
    local pkg
    for pkg in "${NV_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    if [ "${#missing[@]}" -eq 0 ]; then
        return 0
    fi
    if ! command -v apt-get >/dev/null 2>&1; then
        echo "Missing packages (${missing[*]}) and no apt-get to install them with." >&2
        return 1
    fi
    echo "Installing: ${missing[*]}"
    nv_as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
    nv_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}
