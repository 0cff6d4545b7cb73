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
#
# The emulator is the statically linked qemu-i386 of Debian 13 (trixie)'s
# qemu-user package: bookworm's 7.2 shares one emulated GDT among all threads
# of a process, so a new thread's TLS descriptor moves every other thread's
# %fs and %gs, and the 32-bit Wine driver host dies now and then. It is
# downloaded with apt into a state folder of its own, so the machine's package
# sources see no other release, and only that one file is kept. To undo:
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

# Downloads qemu-user from the emulator's suite with apt, into a state folder
# of its own (lists, cache), checked against the Debian archive keys as any
# package is, and keeps only its qemu-i386: a static program with no
# dependencies, so nothing is installed into the machine's package database.
bring_emulator() {
    local sources=$apt_state/sources.list
    mkdir -p "$apt_state/lists/partial" "$apt_state/archives/partial"
    echo "deb [arch=amd64 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg]" \
        "http://deb.debian.org/debian $emulator_suite main" >"$sources"
    local apt_options=(
        -o "Dir::Etc::SourceList=$sources" -o Dir::Etc::SourceParts=/dev/null
        -o "Dir::State::Lists=$apt_state/lists" -o "Dir::Cache=$apt_state"
        -o Dir::Etc::Preferences=/dev/null -o Dir::Etc::PreferencesParts=/dev/null
        -o Dir::State::status=/dev/null -o APT::Architectures::=amd64
    )
    apt-get "${apt_options[@]}" -qq update
    local unpacked
    unpacked=$(mktemp -d)
    (cd "$apt_state/archives" && apt-get "${apt_options[@]}" -qq download qemu-user 2>/dev/null)
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
    sed -n '2,13s/^# \{0,1\}//p' "$0" >&2
    exit 2
    ;;
esac
