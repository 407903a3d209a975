# shellcheck shell=bash
# What the project's scripts share, sourced by each after its `set -euo pipefail`.
# Its usage line is the header's "# Usage:" line; --help shows the whole header.

# A failing command inside $(...) ends the script too, as it would outside.
shopt -s inherit_errexit

# The folder of what is built once and kept for later builds: Allegro for
# Windows and for the web, the arm64 root. Set it to keep them elsewhere; the
# scripts, and those they start, read it from here.
export CAVEDOT_CACHE=${CAVEDOT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/cavedot}

die() {
    echo "${0##*/}: $*" >&2
    exit 1
}

# The usage line on standard error, status 2: for a wrong argument.
usage() {
    sed -n 's/^# Usage: /usage: /p' "$0" >&2
    exit 2
}

# Answers --help with the header comment, status 0.
answer_help() {
    if [ "${1:-}" = --help ]; then
        sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"
        exit 0
    fi
}

# Answers --help; with fewer than MIN or more than MAX arguments, or an option,
# goes through usage.
check_arguments() {  # MIN MAX ARGUMENT...
    local min=$1 max=$2 argument
    shift 2
    answer_help "$@"
    if [ $# -lt "$min" ] || [ $# -gt "$max" ]; then
        usage
    fi
    for argument in "$@"; do
        [[ $argument != -* ]] || usage
    done
}

# The id of the game's window once it shows, while process PID runs; fails after
# two minutes, or once PID has ended. Wine makes and drops helper windows while
# it starts; a search that meets one as it goes fails with BadWindow, so the
# search is tried again until the window is there.
game_window() {  # PID
    local window
    for _ in $(seq 600); do
        window=$(xdotool search --onlyvisible --name '^cavedot$' 2>/dev/null | head -n 1) || true
        if [ -n "$window" ]; then
            echo "$window"
            return
        fi
        kill -0 "$1" 2>/dev/null || return 1
        sleep 0.2
    done
    return 1
}

# Runs a command as root: through sudo when the script runs as another user.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        command -v sudo >/dev/null || die "run as root, or install sudo"
        sudo "$@"
    fi
}

# The process holding one of apt's locks, as "PID (NAME)", from the kernel's
# list of locks; nothing when apt is free. By inode alone: in a container the
# list names the device of the layer below.
apt_lock_holder() {
    local lock pid
    [ -r /proc/locks ] || return 0
    for lock in /var/lib/dpkg/lock-frontend /var/lib/dpkg/lock /var/lib/apt/lists/lock \
        /var/cache/apt/archives/lock; do
        [ -e "$lock" ] || continue
        pid=$(awk -v inode="$(stat -c %i "$lock")" \
            '$2 != "->" && $5 > 0 && $6 ~ ":" inode "$" { print $5; exit }' /proc/locks)
        if [ -n "$pid" ]; then
            echo "$pid ($(cat "/proc/$pid/comm" 2>/dev/null || true))"
            return
        fi
    done
}

# Waits while another process holds one of apt's locks, saying so, until ten
# minutes after the second START; past that, fails naming the holder.
await_apt() {  # START
    local holder
    holder=$(apt_lock_holder)
    [ -z "$holder" ] ||
        echo "${0##*/}: apt is busy in process $holder; waiting up to 10 minutes" >&2
    while [ -n "$holder" ]; do
        if [ $((SECONDS - $1)) -ge 600 ]; then
            die "apt is still busy after 10 minutes: process $holder holds its lock"
        fi
        sleep 2
        holder=$(apt_lock_holder)
    done
}

# apt-get as root, without questions, once apt is free: another apt (on a
# machine just started, often its automatic updates) may hold apt's locks for
# minutes. Should another take a lock between the look and the call, apt-get
# waits a minute for dpkg's but fails at once on the lists' (`update`): it is
# then tried again, saying so, all within the same ten minutes. Its standard
# error shows when it ends, in English under any locale, as the lock's message
# is known here only in English.
apt_get() {  # ARGUMENT...
    local start=$SECONDS status errors lock
    while true; do
        await_apt "$start"
        status=0
        { errors=$(as_root env -u LANGUAGE LC_ALL=C.UTF-8 DEBIAN_FRONTEND=noninteractive \
            apt-get -o DPkg::Lock::Timeout=60 "$@" 2>&1 >&3 3>&-); } 3>&1 || status=$?
        if [ "$status" -eq 0 ] || ! grep -q 'Could not get lock' <<<"$errors" ||
            [ $((SECONDS - start)) -ge 600 ]; then
            [ -z "$errors" ] || echo "$errors" >&2
            return "$status"
        fi
        lock=$(grep -m 1 -o 'Could not get lock [^ ]*[^ .]' <<<"$errors")
        echo "${0##*/}: apt-get $1 found ${lock#Could not get lock } taken; trying again" >&2
        sleep 1
    done
}

# Puts each FILE's gzip (.gz) and brotli (.br) twin beside it, the same bytes
# every time, for web servers that send a file compressed as it is.
compress_beside() {  # FILE...
    local file
    for file in "$@"; do
        gzip -9 -n -k -f "$file"
        brotli -q 11 -k -f "$file"
    done
}

# The code name of this machine's release: bookworm, trixie, noble, ...
machine_release() {
    # shellcheck source=/dev/null  # the machine's own
    (. /etc/os-release && echo "$VERSION_CODENAME")
}

# Writes into DIR the entries of this machine's apt sources (/etc/apt/sources.list
# and sources.list.d/, one-line and deb822 alike) for its own release, with that
# release's suites (bookworm, bookworm-updates, ...) named for RELEASE (trixie,
# trixie-updates, ...); prints the files written, one a line. The same archives,
# so the same mirrors, for another release of the same distribution. With a third
# argument, point, only the release's own suite: as its last point release
# shipped it, without the updates and security fixes since.
apt_sources() {  # RELEASE DIR [point]
    local release=$1 dir=$2 point=${3:-} list ours
    ours=$(machine_release)
    for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$list" ] || continue
        awk -v ours="$ours" -v release="$release" -v point="$point" '$1 == "deb" {
            sub(/\[[^]]*\]/, "")
            if ($3 == ours || (!point && index($3, ours "-") == 1)) {
                sub("^" ours, release, $3); print
            } }' "$list"
    done >"$dir/host.list"
    for list in /etc/apt/sources.list.d/*.sources; do
        [ -f "$list" ] || continue
        awk -v ours="$ours" -v release="$release" -v point="$point" -v RS= '{
            deb = 0; suites = ""
            n = split($0, lines, "\n")
            for (l = 1; l <= n; l++) {
                m = split(lines[l], words, /[ \t]+/)
                for (i = 2; i <= m; i++) {
                    if (words[1] == "Types:" && words[i] == "deb") deb = 1
                    if (words[1] == "Suites:" &&
                        (words[i] == ours || (!point && index(words[i], ours "-") == 1))) {
                        sub("^" ours, release, words[i]); suites = suites " " words[i]
                    }
                }
            }
            if (!deb || suites == "") next
            for (l = 1; l <= n; l++) {
                if (lines[l] ~ /^Types:/) lines[l] = "Types: deb"
                else if (lines[l] ~ /^Suites:/) lines[l] = "Suites:" suites
                print lines[l]
            }
            print "" }' "$list"
    done >"$dir/host.sources"
    for list in "$dir"/host.*; do
        if [ -s "$list" ]; then echo "$list"; else rm "$list"; fi
    done
}

# The project's version, from the top-level CMakeLists.txt.
project_version() {
    sed -n 's/^project(cavedot VERSION \([0-9.]*\).*/\1/p' \
        "$(dirname "${BASH_SOURCE[0]}")/../CMakeLists.txt"
}
