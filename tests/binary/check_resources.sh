#!/bin/sh
# Checks the resources of veltrix.exe: one group icon that holds a 128x128
# image, and a version record whose fixed part and strings carry the
# product version.
#
# Usage: check_resources.sh <veltrix.exe> <version_record_dump> <version>
# <version> is the project version, such as 1.0.3.
# Needs icoutils (wrestool, icotool).
set -eu

exe=$1
dump=$2
version=$3

for tool in wrestool icotool; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "FAIL: $tool not found (Debian package icoutils)"
    exit 1
  fi
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
status=0

wrestool -l "$exe"

groups=$(wrestool -l -t 14 "$exe" | grep -c . || true)
if [ "$groups" -ne 1 ]; then
  echo "FAIL: $groups group icons, expected 1"
  status=1
fi
wrestool -x -t 14 -o "$tmp/icon.ico" "$exe"
icotool -l "$tmp/icon.ico"
if ! icotool -l "$tmp/icon.ico" | grep -q -- '--width=128 --height=128 '; then
  echo "FAIL: the group icon holds no 128x128 image"
  status=1
fi

wrestool -x --raw -t 16 -o "$tmp/version.bin" "$exe"
"$dump" "$tmp/version.bin" > "$tmp/version.txt"
cat "$tmp/version.txt"

# A version of three parts fills the fixed part's fourth with 0.
fixed=$version
case "$version" in
  *.*.*.*) ;;
  *.*.*) fixed="$version.0" ;;
esac

expect() {
  if ! grep -qx -- "$1" "$tmp/version.txt"; then
    echo "FAIL: no line matching '$1' in the version record"
    status=1
  fi
}
fixed=$(printf '%s' "$fixed" | sed 's/\./\\./g')
version=$(printf '%s' "$version" | sed 's/\./\\./g')
expect "FixedFileVersion=$fixed"
expect "FixedProductVersion=$fixed"
expect "StringFileInfo/[0-9a-fA-F]*/ProductName=veltrix"
expect "StringFileInfo/[0-9a-fA-F]*/FileDescription=veltrix"
expect "StringFileInfo/[0-9a-fA-F]*/FileVersion=$version"
expect "StringFileInfo/[0-9a-fA-F]*/ProductVersion=$version"

exit $status
