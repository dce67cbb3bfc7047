#!/usr/bin/env bash
# Installs every Debian package the library, its tests, fuzzers, benchmarks and demo need.
# Idempotent; quiet when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git openssl ca-certificates
  libboost-json1.81-dev libcurl4-openssl-dev libplist-dev libplist++-dev libicu-dev libssl-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev libcpp-httplib-dev
  zlib1g-dev libbrotli-dev libsecret-1-dev
  dbus-daemon gnome-keyring libglib2.0-bin nghttp2-server
  clang-16 libclang-rt-16-dev llvm-16
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
