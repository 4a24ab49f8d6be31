#!/usr/bin/env bash
# Builds veltrix.exe for a demo archive and runs it under Wine in a demo
# installation directory:
#   build/demo/install/veltrix.exe
#   build/demo/install/libs/veltrix.jar        (the archive the build was stamped with)
#   build/demo/install/runtime/bin/javaw.exe   (a stand-in that reports how it was started)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

root=$PWD/build/demo
install=$root/install
mkdir -p "$install/libs" "$install/runtime/bin"

# The archive: any bytes do, the build is stamped with their digest.
printf 'veltrix demo archive\n' > "$install/libs/veltrix.jar"
cmake --preset windows -B "$root/windows" -DVELTRIX_TESTS=OFF \
      -DVELTRIX_JAR="$install/libs/veltrix.jar" >/dev/null
cmake --build "$root/windows" --target veltrix -j "$(nproc)"
cp "$root/windows/veltrix.exe" "$install/"

# Wine starts a Unix script named javaw.exe like a program: it shows the
# command line the launcher composed and the directory it was started in.
cat > "$install/runtime/bin/javaw.exe" <<'SH'
#!/bin/sh
{
  echo "javaw.exe started in $(pwd) with $# arguments:"
  for a in "$@"; do printf '  [%s]\n' "$a"; done
} > "$(dirname "$0")/../../javaw-demo.log"
SH
chmod +x "$install/runtime/bin/javaw.exe"
rm -f "$install/javaw-demo.log"

export WINEPREFIX=$root/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
wine64=/usr/lib/wine/wine64
[ -x "$wine64" ] || wine64=$(command -v wine64)
[ -d "$WINEPREFIX" ] || "$wine64" wineboot -i >/dev/null 2>&1

echo "=== running veltrix.exe in $install"
set +e
(cd "$install" && "$wine64" ./veltrix.exe)
status=$?
set -e
echo "=== veltrix.exe exit status: $status"
sleep 1
[ -f "$install/javaw-demo.log" ] && cat "$install/javaw-demo.log"

echo "=== the same installation with one byte of the archive changed"
printf 'veltrix demo archivE\n' > "$install/libs/veltrix.jar"
set +e
(cd "$install" && "$wine64" ./veltrix.exe)
echo "=== veltrix.exe exit status: $?"
set -e
printf 'veltrix demo archive\n' > "$install/libs/veltrix.jar"
WINEPREFIX=$WINEPREFIX "$(dirname "$wine64")/wineserver" -k 2>/dev/null || true
