#!/usr/bin/env bash
# The .deb package: built with CPack, its contents listed and checked, held to Debian's rules by
# lintian, and installed on this machine, where the installed program must answer --version and
# man must find every program's page; removed again afterwards.
#
# usage: deb_package.sh build BUILD_DIR PACKAGE_DIR
#        deb_package.sh contents PACKAGE_DIR
#        deb_package.sh lintian PACKAGE_DIR
#        deb_package.sh install PACKAGE_DIR OUTPUT
source "$(dirname "$0")/lib.sh"

readonly package=orvane-monitor
readonly programs=(orvane-monitor orvane-monitor-autostart orvane-simdevice orvane-check
    orvane-exporter)

the_deb() {
    local debs=("$1"/"$package"_*.deb)
    [[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || fail "expected one $package .deb in $1"
    echo "${debs[0]}"
}

build() {
    local build_dir=$1 package_dir=$2
    require_tools cpack dpkg-deb dpkg-shlibdeps
    rm -rf "$package_dir"
    cpack --config "$build_dir/CPackConfig.cmake" -G DEB -B "$package_dir" >"$scratch/cpack.log" ||
        fail "cpack: $(cat "$scratch/cpack.log")"
    local deb
    deb=$(the_deb "$package_dir")
    dpkg-deb --info "$deb" >"$scratch/info"
    # The library dependencies come from the binaries: Qt's widgets and the exporter's HTTP
    # server at least, and not Qt's network module, which would load Kerberos and libproxy into
    # the tray program.
    grep -q '^ Depends:.*libqt6widgets6' "$scratch/info" && grep -q '^ Depends:.*libmicrohttpd12' "$scratch/info" ||
        fail "the package does not depend on Qt and libmicrohttpd: $(grep Depends "$scratch/info")"
    ! grep -q '^ Depends:.*libqt6network6' "$scratch/info" ||
        fail "the package depends on Qt's network module: $(grep Depends "$scratch/info")"
    note "built $(basename "$deb")"
}

contents() {
    local deb listing program size missing
    require_tools dpkg-deb
    deb=$(the_deb "$1")
    dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$scratch/listing"
    local paths=("/usr/share/applications/$app_id.desktop" "/usr/share/metainfo/$app_id.metainfo.xml"
        /usr/share/orvane-monitor/orvane-monitor-autostart.desktop
        /usr/lib/systemd/system/orvane-exporter.service
        /usr/share/orvane-monitor/prometheus/prometheus-orvane.yml
        /usr/share/orvane-monitor/prometheus/orvane-rules.yml /usr/share/doc/orvane-monitor/README.md)
    for program in "${programs[@]}"; do
        paths+=("/usr/bin/$program" "/usr/share/man/man1/$program.1.gz")
    done
    for size in "${icon_sizes[@]}"; do
        paths+=("/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png")
    done
    # grep ends with 1 when every path is listed, with 0 when some are not, with 2 on an error.
    local status=0
    missing=$(printf '%s\n' "${paths[@]}" | grep -vxFf "$scratch/listing") || status=$?
    ((status == 1)) || fail "the package lacks ${missing:-what grep could not tell}"
    # Nothing of the build's insides: no headers, libraries, tests, or files outside /usr (but
    # for the exporter's service unit).
    listing=$(grep -v '/$' "$scratch/listing")
    if grep -Ev '^/usr/(bin|share)/|^/usr/lib/systemd/system/[^/]+\.service$' <<<"$listing" ||
        grep -E '\.(a|h|so)$|/tst_|Test' <<<"$listing"; then
        fail "the package holds files it should not (above)"
    fi
    note "$(wc -l <<<"$listing") files, all in place"
}

# Any error or warning fails; an override in the package shows in the output with its reason.
run_lintian() {
    local deb
    require_tools lintian
    deb=$(the_deb "$1")
    lintian --fail-on error,warning --info --show-overrides "$deb" >"$scratch/lintian.log" 2>&1 ||
        fail "lintian: $(grep -v 'running with root privileges' "$scratch/lintian.log")"
    grep -v 'running with root privileges' "$scratch/lintian.log" || true
    note "lintian found nothing to complain about in $(basename "$deb")"
}

# Each program's page as man finds it by name, with a line of its help: for the monitor, the
# line of its help box.
check_manual_pages() {
    local program
    local -A help_line=(
        [orvane-monitor]="Show version information and quit."
        [orvane-monitor-autostart]="--enable ADDRESS"
        [orvane-simdevice]="--allow-non-loopback"
        [orvane-check]="--hostname=ADDRESS"
        [orvane-exporter]="--listen=ADDRESS:PORT"
    )
    for program in "${programs[@]}"; do
        LC_ALL=C MANWIDTH=200 man -P cat "$program" >"$scratch/man.txt" 2>&1 ||
            fail "man $program: $(cat "$scratch/man.txt")"
        grep -q "^NAME" "$scratch/man.txt" && grep -qF -- "${help_line[$program]}" "$scratch/man.txt" ||
            fail "man $program shows no page of its own: $(head -n 20 "$scratch/man.txt")"
    done
    note "man shows the page of ${programs[*]}"
}

# The version box of the installed program, closed with Return as a user would.
answer_version() {
    require_tools Xvfb xdotool xwininfo
    start_xvfb
    mkdir -p "$1"
    HOME=$scratch/home QT_QPA_PLATFORM=xcb start_monitor /usr/bin/orvane-monitor --version
    answer_box 15 $! Version 0 --version "$1/installed-version-box.png"
    note "the installed program showed its version box and ended with 0"
}

install() {
    local package_dir=$1 output=$2 deb lock
    [[ $(id -u) -eq 0 ]] || skip "installing the package needs root (CI runs as root)"
    require_tools dpkg flock man
    deb=$(the_deb "$package_dir")
    # One package installation at a time on this machine, whichever build tree it comes from.
    exec {lock}>/tmp/orvane-monitor-deb-test.lock
    flock -w 300 "$lock" || fail "another package test holds the lock"
    if dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null | grep -qx installed; then
        skip "$package is installed on this machine already; not replacing it"
    fi
    removal_needed=1
    at_cleanup remove_installed_package
    # Minimal systems may tell dpkg to leave out all manual pages; these are what is tested here.
    dpkg -i --path-include="/usr/share/man/man1/orvane-*" "$deb" >"$scratch/dpkg.log" 2>&1 ||
        fail "dpkg -i: $(cat "$scratch/dpkg.log")"
    [[ $(dpkg-query -W -f='${Version}' "$package") == 1.0.13503 ]] || fail "installed version"
    dpkg -S /usr/bin/orvane-monitor | grep -q "^$package:" || fail "/usr/bin/orvane-monitor"
    [[ $(/usr/bin/orvane-check -V) == "orvane-check 1.0.13503" ]] || fail "orvane-check -V"
    check_manual_pages
    answer_version "$output"
    dpkg -r "$package" >"$scratch/dpkg.log" 2>&1 || fail "dpkg -r: $(cat "$scratch/dpkg.log")"
    removal_needed=0
    [[ ! -e /usr/bin/orvane-monitor ]] || fail "dpkg -r left /usr/bin/orvane-monitor"
    note "installed, answered --version, showed its manual pages, removed"
}

# Takes the package away again also when a check failed.
remove_installed_package() {
    if ((removal_needed)); then
        dpkg -r "$package" >/dev/null 2>&1 || echo "e2e: could not remove $package" >&2
    fi
}

case ${1:-} in
build) build "${2:?build dir}" "${3:?package dir}" ;;
contents) contents "${2:?package dir}" ;;
lintian) run_lintian "${2:?package dir}" ;;
install) install "${2:?package dir}" "${3:?output dir}" ;;
*) fail "usage: deb_package.sh build|contents|lintian|install ..." ;;
esac
