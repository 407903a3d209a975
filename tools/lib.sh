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

# Runs a command as root: through sudo when the script runs as another user.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        command -v sudo >/dev/null || die "run as root, or install sudo"
        sudo "$@"
    fi
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
# so the same mirrors, for another release of the same distribution.
apt_sources() {  # RELEASE DIR
    local release=$1 dir=$2 list ours
    ours=$(machine_release)
    for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$list" ] || continue
        awk -v ours="$ours" -v release="$release" '$1 == "deb" { sub(/\[[^]]*\]/, "")
            if ($3 == ours || index($3, ours "-") == 1) { sub("^" ours, release, $3); print } }' "$list"
    done >"$dir/host.list"
    for list in /etc/apt/sources.list.d/*.sources; do
        [ -f "$list" ] || continue
        awk -v ours="$ours" -v release="$release" -v RS= '{
            deb = 0; suites = ""
            n = split($0, lines, "\n")
            for (l = 1; l <= n; l++) {
                m = split(lines[l], words, /[ \t]+/)
                for (i = 2; i <= m; i++) {
                    if (words[1] == "Types:" && words[i] == "deb") deb = 1
                    if (words[1] == "Suites:" && (words[i] == ours || index(words[i], ours "-") == 1)) {
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
    sed -n 's/^project(cavedot VERSION \([0-9.]*\).*/\1/p' "$(dirname "${BASH_SOURCE[0]}")/../CMakeLists.txt"
}
