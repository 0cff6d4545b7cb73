#!/usr/bin/env bash
# Installs the Debian packages that the given build stages need, and nothing
# when they are all present already. Every stage includes what any build
# needs: CMake and Ninja.
#
#   native    g++, GoogleTest, Google Benchmark, zlib, and Python for the tests' checks
#   fuzz      clang and its fuzzer runtime
#   coverage  gcovr
#   mingw     the MinGW-w64 cross compilers of both Windows builds and zlib
#             for both: all that making the release archives needs
#   wine64    64-bit Wine, for the 64-bit ambertap.exe in a 64-bit prefix
#   browser   headless Chromium, a monospace font, and Python with a standards
#             HTML parser, for the checks of the reports in a real browser
#   windows   the Windows tests: mingw, Wine with its 32-bit half, unzip; and
#             where the kernel does not run 32-bit x86 programs, an emulator
#             for them (scripts/i386-emulator.sh)
#
# A package list that cannot be updated (a mirror in the middle of a sync)
# is named in one line and left as it was; the install decides. apt never
# removes a package here. When the install cannot be resolved, as when the
# 32-bit list of one archive is missing and the 64-bit one is not, it is
# tried once more from the release's own suite for both architectures, with
# the release's build of every package that apt would otherwise remove. A
# package that still cannot be installed is named with apt's reason, and the
# exit code is 1.
set -euo pipefail
cd "$(dirname "$0")/.."

say() {
    echo "install-deps: $*" >&2
}

# What apt said in the last step, for naming what failed.
apt_log=$(mktemp)
trap 'rm -f "$apt_log"' EXIT

packages_for() {
    case "$1" in
        native) echo g++ libgtest-dev libbenchmark-dev zlib1g-dev python3 ;;
        fuzz) echo clang libclang-rt-14-dev ;;
        coverage) echo gcovr ;;
        mingw) echo g++-mingw-w64-x86-64-win32 gcc-mingw-w64-x86-64-win32 \
            g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32 libz-mingw-w64-dev ;;
        wine64) echo wine wine64 ;;
        browser) echo chromium fonts-dejavu-core python3 python3-html5lib ;;
        # unzip looks into the release archives. Under the emulator, the 32-bit
        # Wine cannot map its shared user data without its preloader.
        windows)
            echo "$(packages_for mingw) $(packages_for wine64) wine32:i386 unzip"
            if ((emulate_i386)); then echo wine32-preloader:i386; fi
            ;;
        *) say "unknown stage: $1"; exit 2 ;;
    esac
}

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# Updates the package lists; a list that fails is named, and the rest go on.
update_package_lists() {
    if ! apt-get update -qq >"$apt_log" 2>&1; then
        sed -n -e 's/ *\[IP: [^]]*\]$//' \
            -e 's/^E: Failed to fetch \([^ ]*\)  *\(.*\)/package list not updated, going on without it: \1: \2/p' \
            "$apt_log" | while read -r line; do say "$line"; done
        { grep '^E:' "$apt_log" || true; } | grep -v -e '^E: Failed to fetch' -e '^E: Some index files failed' |
            while read -r line; do say "apt-get update: ${line#E: }"; done || true
    fi
}

# Packages to add to a plan in APT_OUTPUT so that it installs with no removal:
# the release's own build of each package apt would remove, or whose build of
# one architecture breaks that of the other; every dependency apt left out;
# and the release's build, for both architectures, of a dependency that is
# "not installable" because no build of the other architecture's version is
# in the lists.
packages_to_add() {
    sed -n -e "s|^Remv \([^ ]*\) .*|\1/$suite|p" \
        -e "s|^ \([^ ]*\) : Breaks: .*|\1/$suite|p" \
        -e 's/^ .*Depends: \([^ ]*\).* but it is not going to be installed$/\1/p' \
        -e "s|^ .*Depends: \([^ :]*\):i386 .*but it is not installable$|\1:i386/$suite\n\1/$suite|p" \
        -e "s|^ .*Depends: \([^ :]*\) .*but it is not installable$|\1/$suite|p" "$1" | sort -u
}

# The installed packages that a plan in APT_OUTPUT takes back to an older build.
downgrades_in() {
    local name installed candidate
    sed -n 's/^Inst \([^ ]*\) \[\([^]]*\)\] (\([^ ]*\) .*/\1 \2 \3/p' "$1" |
        while read -r name installed candidate; do
            if dpkg --compare-versions "$candidate" lt "$installed"; then
                echo "$name"
            fi
        done | paste -s -d ' ' -
}

# Installs the packages from the release's own suite for both architectures,
# growing apt's plan (simulated into the log) until it removes nothing.
install_from_release() {
    local wanted=("$@") added downgrades
    for _ in $(seq 12); do
        if apt-get -s -t "$suite" --allow-downgrades install "${wanted[@]}" >"$apt_log" 2>&1 &&
            ! grep -q '^Remv ' "$apt_log"; then
            downgrades=$(downgrades_in "$apt_log")
            if [ -n "$downgrades" ]; then
                downgrades="; back to $suite's build: $downgrades"
            fi
            say "the package lists of the two architectures are out of step: installing" \
                "$* from $suite itself for both$downgrades"
            apt-get install -y -qq --no-remove --allow-downgrades -t "$suite" "${wanted[@]}" \
                >"$apt_log" 2>&1
            return
        fi
        added=$(packages_to_add "$apt_log" | grep -vxF -f <(printf '%s\n' "${wanted[@]}") || true)
        if [ -z "$added" ]; then
            return 1
        fi
        # shellcheck disable=SC2206 # package names hold no spaces or patterns
        wanted+=($added)
    done
    return 1
}

# Names each package that apt could not install, with its reason.
report_not_installed() {
    local lines
    lines=$(sed -n -e 's/^E: Unable to locate package \(.*\)/\1: no such package in the lists/p' \
        -e 's/^ \([^ ]*\) : \(Depends: .*\)/\1: \2/p' "$apt_log")
    if [ -z "$lines" ]; then
        lines="$*: $(grep '^E:' "$apt_log" | sed 's/^E: //' | paste -s -d ' ' -)"
    fi
    while read -r line; do say "cannot install $line"; done <<<"$lines"
}

install_packages() {
    if ! apt-get install -y -qq --no-remove "$@" >"$apt_log" 2>&1; then
        if ! grep -q -e 'held broken packages' -e 'generated breaks' -e 'need to be removed' "$apt_log" ||
            ! install_from_release "$@"; then
            report_not_installed "$@"
            return 1
        fi
    fi
}

suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
emulate_i386=0
for stage in "$@"; do
    if [ "$stage" = windows ] && scripts/i386-emulator.sh needed; then
        emulate_i386=1
    fi
done

missing=()
for stage in "$@"; do
    for package in cmake ninja-build $(packages_for "$stage"); do
        if ! installed "$package" && [[ " ${missing[*]} " != *" $package "* ]]; then
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
    update_package_lists
    install_packages "${missing[@]}"
fi
if ((emulate_i386)); then
    scripts/i386-emulator.sh register
fi
