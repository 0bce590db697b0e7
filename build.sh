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
          qt6-translations-l10n xdg-utils)
# The browser test opens written pages in Chromium; the preview benchmark
# compares against djpeg and the web copy benchmark against vipsthumbnail;
# the case-only rename test mounts a FAT image; the menu entry, the manual
# page and the metainfo are checked with their own tools; the sorting
# benchmark compares against exiftool; the fuzz targets (fuzz/run.sh, run
# by CI) are built with clang and its libFuzzer.
[ "$mode" = test ] && packages+=(chromium libjpeg-turbo-progs libvips-tools dosfstools fusefat desktop-file-utils man-db
                                 appstream libimage-exiftool-perl clang libclang-rt-14-dev)
# cpack computes the package's dependencies with dpkg-shlibdeps, and finds
# the binaries to ask about with file.
[ "$mode" = package ] && packages+=(dpkg-dev file)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
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
