#!/usr/bin/env bash
# Installs the Debian packages of the named groups that are not installed yet.
# usage: scripts/install-deps.sh GROUP...   (groups: the files in scripts/packages/)
# Runs apt-get as root, or through sudo for an ordinary user; does nothing when all is there.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

wanted=()
for group in "$@"; do
    list="$here/packages/$group.txt"
    [[ -f $list ]] || { echo "install-deps: no package group '$group'" >&2; exit 2; }
    # The first word of every line that is neither empty nor a comment.
    mapfile -t -O "${#wanted[@]}" wanted < <(awk '$1 !~ /^#/ && NF { print $1 }' "$list")
done

missing=()
for package in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [[ $status == installed ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

as_root=()
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "install-deps: run as root or install sudo" >&2; exit 2; }
    as_root=(sudo)
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
