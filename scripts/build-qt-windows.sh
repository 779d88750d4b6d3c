#!/usr/bin/env bash
# Builds Qt for 64-bit Windows (mingw-w64, posix threads) from Debian's qt6-base source, the same
# Qt as the Linux build, and installs it into a cache outside the source tree, once per machine
# and set of options. The install prefix is the last line on standard output (all else goes to
# standard error), ready for CMAKE_PREFIX_PATH and CMAKE_FIND_ROOT_PATH:
#     qt=$(scripts/build-qt-windows.sh | tail -n 1)
# usage: scripts/build-qt-windows.sh [--print-prefix]
#   --print-prefix  print the prefix without building; exit 1 when it is not complete yet
# The cache is the one scripts/cache-dir.sh names.
# A cold build takes 20 minutes or more on two cores (about 27 beside the test command's Linux
# stage); its log stays beside the prefix. A program built against this Qt runs with the DLLs of
# bin/, the platforms/ and styles/ folders of plugins/, and the compiler's libstdc++-6,
# libgcc_s_seh-1 and libwinpthread-1 DLLs beside it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
toolchain=$(dirname "$here")/cmake/toolchain-mingw64-qt.cmake
jobs=$(nproc)

say() { echo "build-qt-windows: $*" >&2; }
die() {
    say "$*"
    exit 1
}

mode=build
case ${1-} in
"") ;;
--print-prefix) mode=print ;;
*) die "usage: $0 [--print-prefix]" ;;
esac

[[ $mode == print ]] || "$here/install-deps.sh" windows-qt >&2
# Qt is kept whole in the cache; its objects would only crowd the test command's compiler cache.
unset CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER

# The source of the installed host tools: moc, rcc and uic must be of the very same Qt.
status=
read -r status source_version < <(dpkg-query -W -f='${db:Status-Status} ${source:Version}' \
    qt6-base-dev 2>/dev/null) || true
[[ $status == installed ]] || die "qt6-base-dev is not installed (scripts/install-deps.sh windows-qt)"
dsc_version=${source_version#*:} # file names carry no epoch
qt_version=${dsc_version%%[+-]*}
host_multiarch=$(dpkg-architecture -qDEB_BUILD_MULTIARCH 2>/dev/null)

qt_options=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$host_multiarch/cmake"
    # Core, Gui, Widgets, Network (for its local sockets alone) and Test are all the monitor uses.
    -DFEATURE_ssl=OFF
    -DFEATURE_schannel=OFF
    -DFEATURE_http=OFF
    -DFEATURE_networklistmanager=OFF
    -DFEATURE_sql=OFF
    -DFEATURE_dbus=OFF
    -DFEATURE_printsupport=OFF
    -DFEATURE_concurrent=OFF
    -DFEATURE_xml=OFF
    # Debian's source lacks wintab.h. The windows platform plugin of this Qt needs two features
    # that seem dispensable: it does not compile without OpenGL (so dynamic OpenGL stays on), and
    # it does not link without Direct2D, which alone brings Gui's DirectWrite font database.
    -DFEATURE_tabletevent=OFF
    # Nothing the programs never load: the Direct2D platform plugin (a second copy of the Windows
    # one), the image format plugins with their libjpeg (the tray image is a PNG, which Gui reads
    # itself), and the document formats, views and dialogs of Gui and Widgets that no window of
    # the monitor has. The offscreen platform of the tests needs FreeType, which stays.
    -DFEATURE_direct2d1_1=OFF
    -DFEATURE_imageformatplugin=OFF
    -DFEATURE_jpeg=OFF
    -DFEATURE_gif=OFF
    -DFEATURE_ico=OFF
    -DFEATURE_movie=OFF
    -DFEATURE_pdf=OFF
    -DFEATURE_textmarkdownreader=OFF
    -DFEATURE_textmarkdownwriter=OFF
    -DFEATURE_textodfwriter=OFF
    -DFEATURE_graphicsview=OFF
    -DFEATURE_mdiarea=OFF
    -DFEATURE_calendarwidget=OFF
    -DFEATURE_colordialog=OFF
    -DFEATURE_fontdialog=OFF
    -DFEATURE_filedialog=OFF
    -DFEATURE_wizard=OFF
    -DFEATURE_undocommand=OFF
    -DFEATURE_columnview=OFF
    -DFEATURE_fontcombobox=OFF
    -DFEATURE_dial=OFF
    -DFEATURE_lcdnumber=OFF
    -DFEATURE_keysequenceedit=OFF
    -DFEATURE_splashscreen=OFF
    # Third-party code from Qt's own copies: nothing of the build machine can slip in.
    -DFEATURE_pkg_config=OFF
    -DFEATURE_zstd=OFF
    -DFEATURE_system_zlib=OFF
    -DFEATURE_system_png=OFF
    -DFEATURE_system_jpeg=OFF
    -DFEATURE_system_freetype=OFF
    -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_doubleconversion=OFF
    -DFEATURE_system_libb2=OFF
)

# HarfBuzz's font subsetter takes a quarter or more of its compile time, and Qt never calls it (it
# subsets fonts for PDF with its own code); its sources leave the bundled library.
trim_source() {
    sed -i -E '/^ +src\/hb-subset[-a-z0-9]*\.cc( |$)/d' "$1/src/3rdparty/harfbuzz-ng/CMakeLists.txt"
}

# Everything that makes one build differ from another, and so names its prefix.
build_key() {
    echo "qt6-base $source_version"
    declare -f trim_source
    dpkg-query -W -f='${Package} ${Version}\n' \
        gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
    printf '%s\n' "${qt_options[@]}"
    cat "$toolchain"
}

cache=$("$here/cache-dir.sh")
name=qt-$qt_version-mingw64-$(build_key | sha256sum | cut -c1-12) ||
    die "the mingw-w64 compilers are not installed (scripts/install-deps.sh windows-qt)"
prefix=$cache/$name
log=$cache/$name.log
stamp=$prefix/.build-complete

# The stamp is written last, after the whole install is in place.
finish_if_complete() {
    [[ -f $stamp ]] || return 0
    echo "$prefix"
    exit 0
}

finish_if_complete
if [[ $mode == print ]]; then
    echo "$prefix"
    exit 1
fi

mkdir -p "$cache"

# One build at a time: a second run waits here and then finds the first one's result.
exec 9>"$cache/qt-windows.lock"
if ! flock -n 9; then
    say "another build of Qt holds $cache/qt-windows.lock; waiting for it"
    flock 9
fi
finish_if_complete

# Whatever an earlier run left: the tree of a failed or interrupted build, or a prefix moved in
# without its stamp.
rm -rf "$cache"/.qt-build.* "$prefix"
work=$(mktemp -d "$cache/.qt-build.XXXXXX")
: >"$log"
started=$SECONDS

# Runs one step with its output in the log; on failure shows the end of the log and stops.
step() {
    local what=$1
    shift
    say "$what"
    echo "=== $what: $*" >>"$log"
    "$@" >>"$log" 2>&1 && return
    say "$what failed; the last lines of $log:"
    tail -n 60 "$log" >&2
    say "the build tree stays in $work until the next run"
    exit 1
}

# apt in a private configuration: deb-src twins of this machine's deb entries, with lists and
# caches of its own, so that neither root nor the system's sources are needed.
write_apt_sources() {
    local dir=$1 list parts file
    eval "$(apt-config shell list Dir::Etc::sourcelist/f parts Dir::Etc::sourceparts/d)"
    for file in "$list" "$parts"*.list; do
        [[ -f $file ]] && sed -n -E 's/^[[:space:]]*deb[[:space:]]+/deb-src /p' "$file"
    done >"$dir/sources.list"
    mkdir -p "$dir/sources.list.d"
    for file in "$parts"*.sources; do
        [[ -f $file ]] && awk '
            function flush() { if (deb && enabled) printf "%s\n", stanza; stanza = ""; deb = 0; enabled = 1 }
            BEGIN { enabled = 1 }
            /^[ \t]*$/ { flush(); next }
            /^#/ { next }
            tolower($1) == "types:" {
                for (i = 2; i <= NF; i++) if ($i == "deb" || $i == "deb-src") deb = 1
                stanza = stanza "Types: deb-src\n"; next
            }
            tolower($1) == "enabled:" && tolower($2) == "no" { enabled = 0 }
            { stanza = stanza $0 "\n" }
            END { flush() }' "$file"
    done >"$dir/sources.list.d/deb-src.sources"
}

fetch_source() {
    local apt=$work/apt
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$work/download"
    write_apt_sources "$apt"
    local options=(-o "Dir::Etc::SourceList=$apt/sources.list"
        -o "Dir::Etc::SourceParts=$apt/sources.list.d"
        -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache")
    # As root apt would hand the download to its own user, who cannot enter a home directory.
    [[ $(id -u) -ne 0 ]] || options+=(-o APT::Sandbox::User=root)
    # A source entry that one of the machine's repositories does not serve only costs a warning.
    apt-get "${options[@]}" update || echo "apt-get update: some indexes failed"
    (cd "$work/download" && apt-get "${options[@]}" source --download-only "qt6-base=$source_version")
}

# What the monitor and its tests need; a feature that configure dropped on its own shows here.
required_files=(
    bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll bin/Qt6Network.dll bin/Qt6Test.dll
    lib/cmake/Qt6/Qt6Config.cmake lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake
    lib/cmake/Qt6Network/Qt6NetworkConfig.cmake
    lib/cmake/Qt6Test/Qt6TestConfig.cmake
    plugins/platforms/qwindows.dll plugins/platforms/qminimal.dll plugins/platforms/qoffscreen.dll
    plugins/styles/qwindowsvistastyle.dll
)

check_install() {
    local root=$1 file missing=0
    for file in "${required_files[@]}"; do
        [[ -f $root/$file ]] || {
            echo "not installed: $file"
            missing=1
        }
    done
    return "$missing"
}

dsc=$work/download/qt6-base_$dsc_version.dsc
say "building Qt $qt_version ($source_version) for Windows into $prefix; log: $log"
step "fetching the qt6-base $source_version source" fetch_source
# dpkg-source checks every file against the .dsc's sums, and wants SHA-256 among them.
step "unpacking the source with Debian's patches" \
    dpkg-source --require-strong-checksums -x "$dsc" "$work/src"
step "leaving out HarfBuzz's font subsetter" trim_source "$work/src"
step "configuring" cmake -S "$work/src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" "${qt_options[@]}"
step "building (-j$jobs)" cmake --build "$work/build" --parallel "$jobs"
# Staged under DESTDIR and moved in whole: the prefix never exists half-installed.
step "installing" env DESTDIR="$work/stage" cmake --install "$work/build"
step "checking the install" check_install "$work/stage$prefix"
mv -T "$work/stage$prefix" "$prefix"
build_key >"$stamp.tmp"
mv "$stamp.tmp" "$stamp"
rm -rf "$work"
say "Qt for Windows ready after $((SECONDS - started)) s"
echo "$prefix"
