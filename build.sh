#!/usr/bin/env bash
# Kamerio's one entry point for people and CI.
#   ./build.sh run    install what is missing, build, start Kamerio
#   ./build.sh test   install what is missing, build, run every test
#   ./build.sh build  install what is missing and build only
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-run}
build=${KAMERIO_BUILD_DIR:-build}

packages=(build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
          libgtest-dev libbenchmark-dev fonts-noto-cjk libqt6svg6)
# The browser test opens written pages in Chromium; the preview benchmark
# compares against djpeg and the web copy benchmark against vipsthumbnail;
# the case-only rename test mounts a FAT image; the menu entry is checked
# with desktop-file-validate.
[ "$mode" = test ] && packages+=(chromium libjpeg-turbo-progs libvips-tools dosfstools fusefat desktop-file-utils)

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

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"

case "$mode" in
  run) exec "$build/kamerio" ;;
  test) cd "$build" && ctest --output-on-failure -j "$(nproc)" ;;
  build) ;;
  *) echo "usage: $0 [run|test|build]" >&2; exit 2 ;;
esac
