#!/usr/bin/env bash
# Installs what building and testing veltrix needs on a Debian machine,
# asking apt-get only for the packages that are missing.
set -euo pipefail

packages=(
  cmake make g++            # native build of the portable core and its tests
  googletest                # GoogleTest sources, built for both targets
  g++-mingw-w64-x86-64-posix  # the Windows cross compiler (and its binutils)
  wine64                    # runs the Windows binaries and tests
  unicode-data              # Unicode 15.0 data the rendering tables come from
  liblnk-utils              # lnkinfo: an independent reader of our shortcuts
  icoutils                  # wrestool/icotool: read the executable's resources back
  coreutils                 # md5sum: the digest oracle of the MD5 tests
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
