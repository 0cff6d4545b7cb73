#!/usr/bin/env bash
# Lets a machine whose kernel refuses 32-bit x86 programs (its IA-32
# emulation switched off: "Exec format error") run them, so that the 32-bit
# Wine and every 32-bit Windows case still run: QEMU's user-mode emulator,
# registered with the kernel through binfmt_misc for 32-bit x86 programs.
#
#   i386-emulator.sh needed     exit 0 when this machine needs the emulator,
#                               1 when its kernel runs 32-bit x86 programs
#   i386-emulator.sh register   bring the emulator and register it, unless
#                               it is registered already
#
# AMBERTAP_EMULATE_I386=1 takes the emulated path on a machine that runs
# 32-bit programs itself, so that both paths can be tried on one machine.
# AMBERTAP_EMULATOR_ARCHIVE=ADDRESS takes the emulator from that Debian
# archive instead of the one that the machine's apt sources name.
#
# The emulator is the statically linked qemu-i386 of Debian 13 (trixie)'s
# qemu-user package: bookworm's 7.2 shares one emulated GDT among all threads
# of a process, so a new thread's TLS descriptor moves every other thread's
# %fs and %gs, and the 32-bit Wine driver host dies now and then. It is
# downloaded with apt, from the Debian archive that the machine's own sources
# name for its release (its mirror or proxy), into a state folder of its own,
# so the machine's package sources see no other release, and only that one
# file is kept. To undo:
#   echo -1 >/proc/sys/fs/binfmt_misc/ambertap-i386; rm -r /usr/local/libexec/ambertap /var/cache/ambertap
set -euo pipefail

emulator_suite=trixie
emulator_dir=/usr/local/libexec/ambertap
emulator=$emulator_dir/qemu-i386
apt_state=/var/cache/ambertap/$emulator_suite
binfmt=/proc/sys/fs/binfmt_misc
entry=$binfmt/ambertap-i386
undo="echo -1 >$entry; rm -r $emulator_dir /var/cache/ambertap"

say() {
    echo "i386-emulator: $*" >&2
}

# True when a 32-bit x86 program runs here, as the kernel is set up now. The
# program is the smallest that shows it: an ELF header, one loadable segment
# and five instructions that write "i386" and exit 0; an "Exec format error"
# (ENOEXEC) or anything else means no.
runs_i386_programs() {
    local probe
    probe=$(mktemp)
    {
        # ELF header: 32-bit, little-endian, an executable for the 386,
        # entered at 0x08048054, one program header at 0x34.
        printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
        printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'
        printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'
        # The whole file, 120 bytes, loaded read-only and executable at 0x08048000.
        printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'
        printf '\x78\x00\x00\x00\x78\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
        # write(1, "i386\n", 5); exit(0) through int 0x80.
        printf '\xb8\x04\x00\x00\x00\xbb\x01\x00\x00\x00\xb9\x73\x80\x04\x08'
        printf '\xba\x05\x00\x00\x00\xcd\x80\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80'
        printf 'i386\n'
    } >"$probe"
    chmod +x "$probe"
    local output
    output=$("$probe" 2>/dev/null) || true
    rm -f "$probe"
    [ "$output" = i386 ]
}

registered() {
    [ -f "$entry" ]
}

needed() {
    [ "${AMBERTAP_EMULATE_I386:-0}" = 1 ] || registered || ! runs_i386_programs
}

# The Debian archive that the sources in LIST and in PARTS (*.list one entry a
# line, *.sources deb822 stanzas) name first, in apt's order, for the release
# RELEASE with its main component: its address, and on the lines after it the
# Signed-By of that source, when it has one (a keyring's path, fingerprints,
# or a key written into the stanza itself). Nothing when none names it.
debian_source() {
    local release=$1 list=$2 parts=$3 files=() file
    [ -f "$list" ] && files+=("$list")
    for file in "$parts"/*; do
        case $file in *.list | *.sources) [ -f "$file" ] && files+=("$file") ;; esac
    done
    ((${#files[@]} > 0)) || return 0
    awk -v release="$release" '
        function has(words, word,   n, i, each) {
            n = split(words, each, /[ \t\n]+/)
            for (i = 1; i <= n; i++) if (each[i] == word) return 1
            return 0
        }
        function found(address, keyring) {
            print address
            if (keyring != "") print keyring
            done = 1
            exit
        }
        function stanza_ended(   addresses) {
            if (has(field["types"], "deb") && has(field["suites"], release) &&
                has(field["components"], "main") && tolower(field["enabled"]) != "no") {
                split(field["uris"], addresses, /[ \t\n]+/)
                found(addresses[1], field["signed-by"])
            }
            delete field
        }
        FNR == 1 && deb822 { stanza_ended() }
        FNR == 1 { deb822 = FILENAME ~ /\.sources$/ }
        deb822 && /^#/ { next }
        deb822 && /^[ \t]*$/ { stanza_ended(); next }
        # A field written over more lines, as a key in Signed-By is.
        deb822 && /^[ \t]/ { field[name] = field[name] "\n" $0; next }
        deb822 {
            name = tolower(substr($0, 1, index($0, ":") - 1))
            field[name] = substr($0, index($0, ":") + 1)
            gsub(/^[ \t]+|[ \t]+$/, "", field[name])
            next
        }
        # deb [ option=value ... ] address suite component...
        {
            sub(/#.*/, "")
            if ($1 != "deb") next
            entry = $0
            sub(/^[ \t]*deb[ \t]+/, "", entry)
            options = ""
            if (entry ~ /^\[/) {
                options = substr(entry, 2, index(entry, "]") - 2)
                entry = substr(entry, index(entry, "]") + 1)
            }
            sub(/^[ \t]+/, "", entry)
            split(entry, words, /[ \t]+/)
            components = entry
            sub(/^[^ \t]+[ \t]+[^ \t]+/, "", components)
            if (words[2] != release || !has(components, "main")) next
            keyring = ""
            n = split(options, each, /[ \t]+/)
            for (i = 1; i <= n; i++) if (each[i] ~ /^signed-by=/) keyring = substr(each[i], 11)
            found(words[1], keyring)
        }
        END { if (deb822 && !done) stanza_ended() }
    ' "${files[@]}"
}

# Downloads qemu-user from the emulator's suite with apt, into a state folder
# of its own (lists, cache), from the Debian archive that the machine's sources
# name for its release, checked against the same keys as that source, and
# keeps only its qemu-i386: a static program with no dependencies, so nothing
# is installed into the machine's package database. Where apt fetches through
# a proxy, its configuration holds for this download too.
bring_emulator() {
    local release list parts machine_source address keyring
    # shellcheck source=/dev/null
    release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    eval "$(apt-config shell list Dir::Etc::sourcelist/f parts Dir::Etc::sourceparts/d)"
    machine_source=$(debian_source "$release" "$list" "$parts")
    address=${AMBERTAP_EMULATOR_ARCHIVE:-${machine_source%%$'\n'*}}
    if [ -z "$address" ]; then
        say "the machine's apt sources name no Debian archive for ${release:-its release} to take" \
            "$emulator_suite's emulator from; AMBERTAP_EMULATOR_ARCHIVE=ADDRESS names one"
        exit 1
    fi
    keyring=
    if [[ $machine_source == *$'\n'* ]]; then
        keyring=${machine_source#*$'\n'}
    fi
    local sources=$apt_state/debian.sources
    mkdir -p "$apt_state/lists/partial" "$apt_state/archives/partial"
    {
        printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: main\n' "$address" "$emulator_suite"
        if [ -n "$keyring" ]; then printf 'Signed-By: %s\n' "$keyring"; fi
    } >"$sources"
    local apt_options=(
        -o "Dir::Etc::SourceList=$sources" -o Dir::Etc::SourceParts=/dev/null
        -o "Dir::State::Lists=$apt_state/lists" -o "Dir::Cache=$apt_state"
        -o Dir::Etc::Preferences=/dev/null -o Dir::Etc::PreferencesParts=/dev/null
        -o Dir::State::status=/dev/null -o APT::Architectures::=amd64
    )
    local log
    log=$(mktemp)
    rm -f "$apt_state"/archives/*.deb
    # apt only warns, and goes on, when a list cannot be fetched: the download
    # then finds no qemu-user.
    if ! { apt-get "${apt_options[@]}" -qq update &&
        (cd "$apt_state/archives" && apt-get "${apt_options[@]}" -qq download qemu-user); } \
        >"$log" 2>&1 || ! compgen -G "$apt_state/archives/qemu-user_*.deb" >/dev/null; then
        say "cannot get $emulator_suite's qemu-user from $address ($(sed -n \
            -e 's/ *\[IP: [^]]*\]$//' -e 's/^[EW]: //p' "$log" | head -1));" \
            "AMBERTAP_EMULATOR_ARCHIVE=ADDRESS names a Debian archive that carries $emulator_suite"
        rm -f "$log"
        exit 1
    fi
    rm -f "$log"
    local unpacked
    unpacked=$(mktemp -d)
    dpkg -x "$apt_state"/archives/qemu-user_*.deb "$unpacked"
    mkdir -p "$emulator_dir"
    install -m 755 "$unpacked/usr/bin/qemu-i386" "$emulator.new"
    mv "$emulator.new" "$emulator"
    rm -rf "$unpacked" "$apt_state/archives"/*.deb
}

# The registration that QEMU's own binfmt configuration gives 32-bit x86
# programs (ELF class 32, machine 3, executable or shared object), with the
# F flag: the kernel opens the emulator now, so that it is found from inside
# any mount namespace or chroot as well.
register() {
    if registered; then
        # Switched off by hand (echo 0) since it was registered.
        if ! grep -qx enabled "$entry"; then
            echo 1 >"$entry"
        fi
        say "32-bit x86 programs run under $(sed -n 's/^interpreter //p' "$entry")" \
            "(registered earlier; undo: $undo)"
        return
    fi
    if [ "$(id -u)" -ne 0 ]; then
        say "this machine does not run 32-bit x86 programs, and registering an emulator for them needs root"
        exit 1
    fi
    if [ ! -f "$binfmt/register" ] &&
        ! mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null; then
        say "this machine does not run 32-bit x86 programs, and its kernel has no binfmt_misc to register an emulator with"
        exit 1
    fi
    if [ ! -x "$emulator" ]; then
        bring_emulator
    fi
    local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    printf ':ambertap-i386:M::%s:%s:%s:F' "$magic" "$mask" "$emulator" >"$binfmt/register"
    if ! runs_i386_programs; then
        say "registered $emulator for 32-bit x86 programs, but they still do not run"
        exit 1
    fi
    say "32-bit x86 programs now run under $("$emulator" --version | head -1)," \
        "registered until the next boot as $entry (undo: $undo)"
}

case ${1:-} in
needed) needed ;;
register) register ;;
*)
    sed -n '2,15s/^# \{0,1\}//p' "$0" >&2
    exit 2
    ;;
esac
