# A resolver of the caller's own, so that no host name lookup of a test leaves the machine.
# Source this file (it needs nothing else of tests/lib):
#
#   with_own_resolver HOSTS_FILE refusing|silent|local -- COMMAND...
#     Runs COMMAND in a mount and a network namespace of its own and returns its exit status.
#     There /etc/hosts is HOSTS_FILE, /etc/nsswitch.conf looks host names up only in the files
#     and DNS, /etc/resolv.conf names one name server, 127.0.1.70, and loopback is up and the only
#     network. Names come from HOSTS_FILE; a question beyond it goes to 127.0.1.70 port 53, where
#       refusing  nothing listens, so the kernel refuses it at once and the lookup fails;
#       silent    a name server reads it and never answers, so the lookup waits for the
#                 resolver's own time-out (glibc: 5 s, then a second try);
#       local     in the machine's own network (a mount namespace alone), for programs that need
#                 this PC's addresses, such as wine's; names come from HOSTS_FILE alone, as a
#                 name server of the machine's could answer on 127.0.1.70 and ask further.
#     COMMAND finds in $OWN_RESOLVER_QUESTIONS a file with one line per question that reached
#     the silent name server. As root directly; as another user in a user namespace, where
#     COMMAND keeps its user and group id.
#   own_resolver_unavailable
#     Succeeds, printing why, where no such namespaces can be made here: the caller skips.
#   script_with_own_resolver HOSTS_FILE refusing|silent|local "$0" "$@"
#     The first step of a test script that runs whole under the resolver: ends the script with the
#     exit status of its run there, or as skipped (77) where it cannot be made; in that run it
#     only returns.
# shellcheck shell=bash

own_resolver_unavailable() {
    local tool
    for tool in unshare ip python3; do
        command -v "$tool" >/dev/null || { echo "no $tool for a test's own resolver" && return; }
    done
    ! own_resolver_unshare refusing true 2>/dev/null || return 1
    echo "no mount and network namespace of the test's own:" \
        "$(own_resolver_unshare refusing true 2>&1)"
}

# own_resolver_unshare MODE COMMAND...: unshare as root, or for anyone else in a user namespace
# where that user is root; a network of its own but for the local mode.
own_resolver_unshare() {
    local user=(--map-root-user) net=(--net)
    ((EUID != 0)) || user=()
    [[ $1 != local ]] || net=()
    shift
    unshare --kill-child "${user[@]}" --mount "${net[@]}" -- "$@"
}

script_with_own_resolver() {
    local hosts=$1 mode=$2 why status=0
    shift 2
    [[ ${OWN_RESOLVER_SCRIPT-} != "$1" ]] || return 0
    ! why=$(own_resolver_unavailable) || { echo "SKIP: $why" && exit 77; }
    OWN_RESOLVER_SCRIPT=$1 with_own_resolver "$hosts" "$mode" -- "$@" || status=$?
    exit "$status"
}

with_own_resolver() {
    local hosts=$1 mode=$2 files status=0
    [[ $# -ge 4 && $3 == -- && $mode =~ ^(refusing|silent|local)$ ]] ||
        { echo "usage: with_own_resolver HOSTS refusing|silent|local -- COMMAND..." >&2 && return 2; }
    shift 3
    files=$(mktemp -d "${TMPDIR:-/tmp}/orvane-resolver.XXXXXX")
    echo "nameserver 127.0.1.70" >"$files/resolv.conf"
    local sources='files dns'
    [[ $mode != local ]] || sources=files
    { grep -v '^hosts:' /etc/nsswitch.conf; echo "hosts: $sources"; } >"$files/nsswitch.conf"
    touch "$files/questions"
    own_resolver_unshare "$mode" bash -c "$(declare -f own_resolver_inside); own_resolver_inside \"\$@\"" \
        own_resolver "$(realpath "$hosts")" "$mode" "$files" "$EUID" "$(id -g)" "$@" || status=$?
    rm -rf "$files"
    return "$status"
}

# In the new namespaces: the files over the system's, loopback, the name server, then COMMAND as
# the caller (mapped back to the caller's ids where a user namespace made the caller root).
own_resolver_inside() {
    local hosts=$1 mode=$2 files=$3 uid=$4 gid=$5 ready='' status=0 as_caller=()
    shift 5
    mount --bind "$hosts" /etc/hosts && mount --bind "$files/resolv.conf" /etc/resolv.conf &&
        mount --bind "$files/nsswitch.conf" /etc/nsswitch.conf || return
    [[ $mode == local ]] || ip link set lo up || return
    # nscd would answer from outside these namespaces.
    [[ ! -d /run/nscd ]] || mount -t tmpfs none /run/nscd || return
    if [[ $mode == silent ]]; then
        # PR_SET_PDEATHSIG: the server ends with this shell, however that ends.
        coproc dns { python3 -c 'import ctypes, socket, sys
ctypes.CDLL(None).prctl(1, 9)
server = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
server.bind(("127.0.1.70", 53))
print("listening", flush=True)
while True:
    print(len(server.recv(65535)), "bytes", file=open(sys.argv[1], "a"))' "$files/questions" 2>&1; }
        read -r -t 10 ready <&"${dns[0]}" || true
        [[ $ready == listening ]] || { echo "no silent name server: $ready" >&2 && return 1; }
    fi
    ((uid == EUID)) || as_caller=(unshare --map-user="$uid" --map-group="$gid" --)
    OWN_RESOLVER_QUESTIONS=$files/questions "${as_caller[@]}" "$@" || status=$?
    [[ -z ${dns_PID-} ]] || { kill "$dns_PID" && wait "$dns_PID"; } 2>/dev/null
    return "$status"
}
