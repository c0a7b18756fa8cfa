#!/usr/bin/env bash
# Builds, once, what the Windows builds need and Debian ships for Linux only: jsoncpp from
# Debian's own source package, compiled with mingw-w64, and CLI11's headers beside it. They go to
# <cache>/corvanetext/windows-deps/<arch> (arch: i686, the default, or x86_64); nothing of them
# enters the repository. Also installs the cross compiler and Wine.
# Usage: scripts/windows-deps.sh [i686|x86_64]
set -euo pipefail
cd "$(dirname "$0")/.."
arch=${1:-i686}
case "$arch" in i686) pkg=g++-mingw-w64-i686-posix ;; x86_64) pkg=g++-mingw-w64-x86-64-posix ;;
    *) echo "usage: $0 [i686|x86_64]" >&2; exit 2 ;; esac

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
scripts/install-wine.sh
scripts/install-deps.sh "$pkg" dpkg-dev

prefix=${XDG_CACHE_HOME:-$HOME/.cache}/corvanetext/windows-deps/$arch
[ -f "$prefix/.complete" ] && exit 0
echo "windows-deps: building jsoncpp for $arch-w64-mingw32 into $prefix (about a minute)"

# apt-get source needs the deb-src type on the machine's Debian entry.
if ! apt-get source --print-uris libjsoncpp >/dev/null 2>&1; then
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && "${sudo[@]}" sed -i 's/^Types: deb$/Types: deb deb-src/' "$f"
    done
    "${sudo[@]}" apt-get update -qq
fi
# The one-line format: a deb-src line beside each Debian deb line.
if ! apt-get source --print-uris libjsoncpp >/dev/null 2>&1 && [ -f /etc/apt/sources.list ]; then
    "${sudo[@]}" sed -i '/^deb .*debian/{p;s/^deb /deb-src /}' /etc/apt/sources.list
    "${sudo[@]}" apt-get update -qq
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get source -qq libjsoncpp >/dev/null 2>&1)
src=$(find "$work" -maxdepth 1 -type d -name 'libjsoncpp-*' | head -1)
[ -n "$src" ] || { echo "windows-deps: apt-get source libjsoncpp gave no source" >&2; exit 1; }
cmake -S "$src" -B "$work/build" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$(pwd)/cmake/mingw.cmake" -DCORVANE_MINGW_ARCH="$arch" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON -DBUILD_OBJECT_LIBS=OFF \
    -DJSONCPP_WITH_TESTS=OFF -DJSONCPP_WITH_POST_BUILD_UNITTEST=OFF \
    -DJSONCPP_WITH_PKGCONFIG_SUPPORT=OFF -DJSONCPP_WITH_CMAKE_PACKAGE=ON >/dev/null
cmake --build "$work/build" -j2 >/dev/null
cmake --install "$work/build" >/dev/null
mkdir -p "$prefix/include"
cp -r /usr/include/CLI "$prefix/include/"
touch "$prefix/.complete"
echo "windows-deps: done"
