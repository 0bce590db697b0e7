#!/usr/bin/env bash
# Kamerio's one entry point for people and CI.
#   ./build.sh run      install what is missing, build, start Kamerio
#   ./build.sh test     install what is missing, build, run every test
#   ./build.sh build    install what is missing and build only
#   ./build.sh package  install what is missing, build a release and make
#                       the Debian package build-package/kamerio_<version>_<arch>.deb
# KAMERIO_BUILD_DIR names another build folder; KAMERIO_WERROR=1 makes
# warnings errors and KAMERIO_SANITIZE=1 builds with AddressSanitizer and
# UndefinedBehaviorSanitizer (use a folder of its own for that).
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-run}
case "$mode" in
  run|test|build|package) ;;
  *) echo "usage: $0 [run|test|build|package]" >&2; exit 2 ;;
esac

packages=(build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
          libgtest-dev libbenchmark-dev fonts-noto-cjk libqt6svg6 libexiv2-dev
          qt6-translations-l10n xdg-utils libxcb1-dev libssh-dev libcurl4-openssl-dev qtkeychain-qt6-dev)
# The browser test opens written pages in Chromium; the preview benchmark
# compares against djpeg and the web copy benchmark against vipsthumbnail;
# the case-only rename test mounts a FAT image; the menu entry, the manual
# page and the metainfo are checked with their own tools; the sorting
# benchmark compares against exiftool.
[ "$mode" = test ] && packages+=(chromium libjpeg-turbo-progs libvips-tools dosfstools fusefat desktop-file-utils man-db
                                 appstream libimage-exiftool-perl)
# The publishing window's test keeps the password in a real keyring: the
# GNOME keyring in a D-Bus session of the test's own.
[ "$mode" = test ] && packages+=(gnome-keyring dbus libsecret-1-0)
# The publishing tests talk to real servers of their own on 127.0.0.1: the
# packages bring system services along, which must never run because of us.
servers=()
[ "$mode" = test ] && servers=(openssh-server openssh-client pure-ftpd apache2 openssl)
# cpack computes the package's dependencies with dpkg-shlibdeps, and finds
# the binaries to ask about with file.
[ "$mode" = package ] && packages+=(dpkg-dev file)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q '^install ok installed$'; }
missing=()
for p in "${packages[@]}" "${servers[@]}"; do
  installed "$p" || missing+=("$p")
done
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
# Every package that comes new with this install (dependencies too) has its
# services masked and disabled and, should one have started anyway, stopped.
# A policy-rc.d that refuses keeps them from starting in the first place;
# one that is there already is the machine owner's and stays as it is.
quiet_services() {
  local before=$1 pkg unit
  for pkg in $(dpkg-query -W -f='${Package}\n' | sort | comm -13 "$before" -); do
    for unit in $(dpkg -L "$pkg" 2>/dev/null | grep -E '^/(usr/)?lib/systemd/system/[^/]+\.(service|socket)$'); do
      unit=${unit##*/}
      [ -d /run/systemd/system ] && $sudo systemctl stop "$unit" 2>/dev/null || true
      $sudo mkdir -p /etc/systemd/system && $sudo ln -sfn /dev/null "/etc/systemd/system/$unit"
    done
    for unit in $(dpkg -L "$pkg" 2>/dev/null | grep -E '^/etc/init\.d/[^/]+$'); do
      [ -d /run/systemd/system ] || $sudo "$unit" stop >/dev/null 2>&1 || true
      $sudo update-rc.d -f "${unit##*/}" disable >/dev/null 2>&1 || true
      $sudo mkdir -p /etc/systemd/system && $sudo ln -sfn /dev/null "/etc/systemd/system/${unit##*/}.service"
    done
  done
}
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  before=$(mktemp)
  dpkg-query -W -f='${Package}\n' | sort >"$before"
  policy=""
  if [ ! -e /usr/sbin/policy-rc.d ]; then
    policy=/usr/sbin/policy-rc.d
    printf '#!/bin/sh\nexit 101\n' | $sudo tee "$policy" >/dev/null
    $sudo chmod 755 "$policy"
  fi
  trap '[ -n "$policy" ] && $sudo rm -f "$policy"; rm -f "$before"' EXIT
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}"
  quiet_services "$before"
  [ -n "$policy" ] && $sudo rm -f "$policy"
  policy=""
fi

options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
[ "$mode" = package ] && options=(-DCMAKE_BUILD_TYPE=Release -DKAMERIO_TESTS=OFF -DKAMERIO_BENCH=OFF)
options+=(-DKAMERIO_WERROR="${KAMERIO_WERROR:-0}" -DKAMERIO_SANITIZE="${KAMERIO_SANITIZE:-0}")
# Benchmarks measure the plain build; a sanitized tree only runs the tests.
[ "${KAMERIO_SANITIZE:-0}" != 0 ] && options+=(-DKAMERIO_BENCH=OFF)
build=${KAMERIO_BUILD_DIR:-build}
[ "$mode" = package ] && build=${KAMERIO_BUILD_DIR:-build-package}

cmake -S . -B "$build" "${options[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"

case "$mode" in
  run) exec "$build/kamerio" ;;
  test) cd "$build" && ctest --output-on-failure -j "$(nproc)" ;;
  package) cd "$build" && cpack -G DEB ;;
esac
