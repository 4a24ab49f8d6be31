#!/bin/sh
# Checks the PE headers of veltrix.exe: the GUI subsystem, and an import
# table that names only DLLs every 64-bit Windows has, so the launcher runs
# with nothing beside it. Prints the file's size and its stripped size.
#
# Usage: check_pe.sh <objdump> <strip> <veltrix.exe>
#
# Allowed DLLs and why each may appear:
#   kernel32.dll  files, processes, threads, timers, standard handles
#   ws2_32.dll    the loopback control channel (Winsock 2)
#   bcrypt.dll    BCryptGenRandom
#   advapi32.dll  SystemFunction036 (RtlGenRandom), the fallback generator
#   ntdll.dll     the native layer under kernel32, should anything bind to it
#   msvcrt.dll    the C runtime mingw-w64 links against; a system DLL since
#                 Windows 2000 (a UCRT toolchain would bring api-ms-win-crt-*
#                 instead and has to be added here on purpose)
# The static link (-static, -static-libgcc, -static-libstdc++) must keep
# libstdc++, libgcc and libwinpthread out: those DLLs are not on a user's
# machine.
set -eu

objdump=$1
strip=$2
exe=$3

allowed="kernel32.dll ws2_32.dll bcrypt.dll advapi32.dll ntdll.dll msvcrt.dll"

headers=$("$objdump" -p "$exe")
status=0

subsystem=$(printf '%s\n' "$headers" | sed -n 's/^Subsystem[[:space:]]*\([0-9a-fA-F]*\).*/\1/p')
if [ "$subsystem" != "00000002" ]; then
  echo "FAIL: subsystem is '$subsystem', expected 00000002 (Windows GUI)"
  status=1
else
  echo "subsystem: 2 (Windows GUI)"
fi

dlls=$(printf '%s\n' "$headers" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p')
if [ -z "$dlls" ]; then
  echo "FAIL: no imported DLL found: is this a PE image?"
  status=1
fi
for dll in $dlls; do
  lower=$(printf '%s' "$dll" | tr 'A-Z' 'a-z')
  case " $allowed " in
    *" $lower "*) echo "import: $dll" ;;
    *)
      case "$lower" in
        libstdc++*|libgcc*|libwinpthread*) echo "FAIL: import: $dll (a mingw runtime DLL: link it statically)" ;;
        *) echo "FAIL: import: $dll (not on the allow-list)" ;;
      esac
      status=1
      ;;
  esac
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$strip" -o "$tmp/stripped.exe" "$exe"
echo "size: $(wc -c < "$exe") bytes; stripped: $(wc -c < "$tmp/stripped.exe") bytes"

exit $status
