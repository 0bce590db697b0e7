#!/usr/bin/env bash
# Checks a built Debian package of Kamerio: the files it installs, its
# control fields, its metainfo and manual page. With --install it also
# installs the package with apt, starts the installed program with no
# display and removes the package again (for throwaway machines such as CI).
#   tests/package_check.sh build-package/kamerio_<version>_<arch>.deb [--install]
set -euo pipefail
if [ $# -lt 1 ] || [ $# -gt 2 ] || [ "${2:---install}" != --install ]; then
  echo "usage: $0 PACKAGE.deb [--install]" >&2
  exit 2
fi
deb=$(realpath "$1")
install=${2:-}
cd "$(dirname "$0")/.."
version=$(sed -n 's/.*version = QStringLiteral("\([^"]*\)").*/\1/p' html/about.h)
metainfo=usr/share/metainfo/jp.example.kamerio.metainfo.xml
manpage=usr/share/man/man1/kamerio.1.gz
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo

fail() {
  echo "package check: $*" >&2
  exit 1
}

tree=$(mktemp -d)
installed=""
cleanup() {
  rm -rf "$tree"
  [ -z "$installed" ] || DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq kamerio >/dev/null
}
trap cleanup EXIT

files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in usr/bin/kamerio usr/share/applications/kamerio.desktop usr/share/icons/hicolor/scalable/apps/kamerio.svg \
         usr/share/icons/hicolor/{32x32,48x48,256x256}/apps/kamerio.png "$manpage" "$metainfo"; do
  grep -qxF "./$f" <<<"$files" || fail "the package lacks /$f"
done

for want in "Package=kamerio" "Version=$version" "Section=graphics"; do
  [ "$(dpkg-deb -f "$deb" "${want%%=*}")" = "${want#*=}" ] || fail "not $want: $(dpkg-deb -f "$deb" "${want%%=*}")"
done
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6core6 libqt6gui6 libqt6widgets6 fonts-noto-cjk qt6-translations-l10n libqt6svg6; do
  grep -qE "(^|, )$d( |,|$)" <<<"$depends" || fail "Depends lacks $d: $depends"
done

dpkg-deb -x "$deb" "$tree"
appstreamcli validate-tree --no-net --strict "$tree" >&2 || fail "appstreamcli finds fault with the metainfo"
grep -q "<release version=\"$version\"" "$tree/$metainfo" || fail "the metainfo does not name release $version"
warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' man --warnings=w -E UTF-8 -l "$tree/$manpage" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man warns about the manual page: $warnings"
zcat "$tree/$manpage" | grep -q "^\.TH KAMERIO 1 .*\"Kamerio $version\"" || fail "the manual page is not of $version"

if [ "$install" = --install ]; then
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$deb" >/dev/null
  installed=yes
  answer=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/kamerio --version) \
    || fail "the installed kamerio --version failed"
  [ "$answer" = "Kamerio $version" ] || fail "the installed kamerio --version says: $answer"
fi
echo "package check: $(basename "$deb") is fine${install:+, installed and started}"
