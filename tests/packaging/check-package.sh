#!/usr/bin/env bash
# Validates the desktop entry and the AppStream metainfo, builds the Debian
# package from the release build, checks it with lintian, installs it into a
# scratch root and runs the installed batch program.
set -euo pipefail
cd "$(dirname "$0")/../.."

desktop-file-validate packaging/nivaro.desktop
appstreamcli validate --pedantic --no-net build/release/packaging/io.github.nivaro.nivaro.metainfo.xml

(cd build/release && cpack -G DEB > "$(mktemp)" 2>&1)
package="$(ls build/release/nivaro_*_amd64.deb)"
lintian --fail-on error "$package" ||
  { echo "lintian finds errors in $(basename "$package")"; exit 1; }
if dpkg-deb --field "$package" Depends | grep -qi mpi; then
  echo "the desktop package depends on MPI: $(dpkg-deb --field "$package" Depends)"; exit 1
fi
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
# The scratch root has no other packages: its dependencies are the system's.
dpkg --root="$root" --force-depends --force-not-root -i "$package" > "$root/dpkg.log" 2>&1 ||
  { cat "$root/dpkg.log"; exit 1; }
for file in usr/bin/nivaro usr/bin/nivaro-batch usr/share/applications/nivaro.desktop \
            usr/share/icons/hicolor/scalable/apps/nivaro.svg usr/share/metainfo/io.github.nivaro.nivaro.metainfo.xml \
            usr/share/man/man1/nivaro.1.gz usr/share/man/man1/nivaro-batch.1.gz \
            usr/share/doc/nivaro/copyright usr/share/doc/nivaro/changelog.gz; do
  test -e "$root/$file" || { echo "missing after installation: /$file"; exit 1; }
done
version="$("$root/usr/bin/nivaro-batch" --version 2>/dev/null)"
test "$version" = "nivaro-batch 1.26" || { echo "installed nivaro-batch says '$version'"; exit 1; }
# The window answers --version and --help without a display, and names the
# command it was started as in its hint for a machine without one.
no_display=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
test "$("${no_display[@]}" "$root/usr/bin/nivaro" --version)" = "nivaro 1.26"
"${no_display[@]}" "$root/usr/bin/nivaro" --help | grep -q -- '--version'
hint="$("${no_display[@]}" "$root/usr/bin/nivaro" 2>&1 || true)"
[[ "$hint" == *"xvfb-run -a -s '-screen 0 1400x900x24' $root/usr/bin/nivaro"* ]] ||
  { echo "the installed window's hint: $hint"; exit 1; }
# The man page, made from --help, lists every option that --help names.
options_of() { sed 's/\\-/-/g' | grep -oE -- '--[a-z][a-z-]*[a-z]' | sort -u; }
if ! diff <("$root/usr/bin/nivaro-batch" --help | options_of) <(zcat "$root/usr/share/man/man1/nivaro-batch.1.gz" | options_of); then
  echo "nivaro-batch.1 and --help name different options"; exit 1
fi
PYTHONPATH="$root/usr/lib/python3/dist-packages" /usr/bin/python3 -c "import nivaro; assert nivaro.density(nivaro.Settings(nx=8, nz=8)).shape == (8, 8)"
echo "package $(basename "$package") installs and runs: $version, and its Python module imports"
