#!/usr/bin/env bash
# Builds out/telorad_VERSION_ARCH.deb: the three programs, their man pages, the desktop file,
# the AppStream metadata and the icons, from a stripped build made with Debian's optimisation
# and hardening flags in build-deb/. Depends comes from dpkg-shlibdeps; the package is checked
# with lintian, desktop-file-validate and appstreamcli, whose findings are printed.
# Usage: scripts/package-deb.sh   (as root or with sudo, for the Debian tools it installs)
set -euo pipefail
cd "$(dirname "$0")/.."
umask 022

scripts/install-deps.sh dpkg-dev lintian desktop-file-utils appstream

# The compiler flags Debian builds its packages with, all hardening included (CMake reads no
# CPPFLAGS of its own); build type None, so that CMake adds no optimisation flags to them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS) -DNDEBUG"
cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    -DTELORAD_TESTS=OFF -DTELORAD_BENCH=OFF >/dev/null
cmake --build build-deb -j "$(nproc)"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-deb/CMakeCache.txt)
release_date=$(sed -n 's/^set(TELORAD_RELEASE_DATE \([0-9-]*\))$/\1/p' CMakeLists.txt)
arch=$(dpkg --print-architecture)
maintainer="Telorad developers <maintainers@users.noreply.c-seed-3312b5c2.example>"
[ -n "$version" ] && [ -n "$release_date" ] || { echo "package-deb: no version or date" >&2; exit 1; }

# The tree as dpkg-shlibdeps expects it: debian/control beside debian/PACKAGE.
stage=build-deb/debian/telorad
rm -rf "$stage"
DESTDIR=$PWD/$stage cmake --install build-deb >/dev/null
# As Debian strips: debugging symbols and the compiler's notes go.
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$stage"/usr/bin/*
gzip -9n "$stage"/usr/share/man/man1/*.1
doc=$stage/usr/share/doc/telorad
install -d "$doc"
install -m 0644 packaging/copyright "$doc/copyright"
# A native package: its own changelog, in Debian's format, for this one version.
{
    echo "telorad ($version) unstable; urgency=medium"
    echo
    echo "  * Release $version."
    echo
    echo " -- $maintainer  $(LC_ALL=C date -u -R -d "$release_date 12:00")"
} | gzip -9n >"$doc/changelog.gz"

install -d "$stage/DEBIAN"
printf 'Source: telorad\n\nPackage: telorad\nArchitecture: any\n' >build-deb/debian/control
depends=$(cd build-deb && dpkg-shlibdeps -O -edebian/telorad/usr/bin/telorad \
    -edebian/telorad/usr/bin/telorad-cli -edebian/telorad/usr/bin/telorad-server |
    sed -n 's/^shlibs:Depends=//p')
[ -n "$depends" ] || { echo "package-deb: dpkg-shlibdeps found no dependencies" >&2; exit 1; }

(cd "$stage" && find usr -type f -print0 | sort -z | xargs -0 md5sum) >"$stage/DEBIAN/md5sums"
cat >"$stage/DEBIAN/control" <<CONTROL
Package: telorad
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $(du -sk --exclude=DEBIAN "$stage" | cut -f1)
Depends: $depends
Recommends: fonts-noto-cjk
Section: net
Priority: optional
Description: watch and control the screen of a remote computer
 Telorad shows the screen of a remote computer running a Telorad server in a
 window, pixel for pixel, and in control mode forwards the keyboard and the
 mouse. It answers the server's password challenge and encrypts the connection
 when the server asks for it.
 .
 The package holds the viewer (telorad), a headless client for snapshots and
 remote commands (telorad-cli) and a development server (telorad-server).
CONTROL

mkdir -p out
deb=out/telorad_${version}_${arch}.deb
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
echo "package-deb: built $deb"
echo "package-deb: Depends: $depends"

echo "package-deb: desktop-file-validate"
desktop-file-validate "$stage/usr/share/applications/telorad.desktop"
echo "package-deb: appstreamcli validate"
appstreamcli validate --no-net "$stage"/usr/share/metainfo/*.metainfo.xml
echo "package-deb: lintian"
lintian --info --display-info --pedantic "$deb"
