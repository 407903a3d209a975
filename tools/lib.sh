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

# The project's version, from the top-level CMakeLists.txt.
project_version() {
    sed -n 's/^project(cavedot VERSION \([0-9.]*\).*/\1/p' "$(dirname "${BASH_SOURCE[0]}")/../CMakeLists.txt"
}
