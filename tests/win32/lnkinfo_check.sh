#!/bin/sh
# Debian's lnkinfo, an independent reader, must parse every shortcut the
# Windows tests left (name.lnk) and print each line of name.expect. The
# samples are removed afterwards, so a later run checks fresh ones only.
set -u
lnkinfo=$1
samples=$2
[ -x "$lnkinfo" ] || { echo "lnkinfo not found (Debian package liblnk-utils)"; exit 1; }
[ -d "$samples" ] || { echo "no samples in $samples: did win32_tests run?"; exit 1; }

status=0
count=0
for lnk in "$samples"/*.lnk; do
  [ -e "$lnk" ] || break
  count=$((count + 1))
  name=${lnk%.lnk}
  if ! out=$("$lnkinfo" "$lnk" 2>&1); then
    printf 'FAIL %s: lnkinfo could not parse it\n%s\n' "$lnk" "$out"; status=1; continue
  fi
  ok=1
  if [ -f "$name.expect" ]; then
    while IFS= read -r line; do
      [ -n "$line" ] || continue
      printf '%s\n' "$out" | grep -qxF -- "$line" || {
        printf 'FAIL %s: missing line: %s\n' "$lnk" "$line"; ok=0; }
    done < "$name.expect"
  fi
  if [ $ok = 1 ]; then echo "ok   $lnk"; else printf '%s\n' "$out"; status=1; fi
done
[ "$count" -gt 0 ] || { echo "no shortcuts in $samples"; status=1; }
rm -rf "$samples"
exit $status
