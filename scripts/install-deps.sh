#!/usr/bin/env bash
# Installs the Debian packages that the given build stages need, and nothing
# when they are all present already. Stages: native, fuzz, coverage, windows.
# Every stage includes what any build needs: CMake and Ninja.
set -euo pipefail

packages_for() {
    case "$1" in
        native) echo g++ libgtest-dev libbenchmark-dev ;;
        fuzz) echo clang libclang-rt-14-dev ;;
        coverage) echo gcovr ;;
        # Both Windows builds, Wine with its 32-bit half for the 32-bit one, and
        # unzip to look into the release archives.
        windows) echo g++-mingw-w64-x86-64-win32 gcc-mingw-w64-x86-64-win32 \
            g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32 wine wine64 wine32:i386 unzip ;;
        *) echo "unknown stage: $1" >&2; exit 2 ;;
    esac
}

missing=()
for stage in "$@"; do
    for package in cmake ninja-build $(packages_for "$stage"); do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
done

if ((${#missing[@]} > 0)); then
    echo "Installing: ${missing[*]}"
    if printf '%s\n' "${missing[@]}" | grep -q ':i386$' &&
        ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq "${missing[@]}" >/dev/null
fi
