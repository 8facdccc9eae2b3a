#!/usr/bin/env bash
# A new program folder opens on real observations: `skyloom-cli init` imports the
# shipped samples beside the demo stations, and the world's network is listed.
# Also: a file of random bytes named like a station's file makes nothing.
set -euo pipefail
cli="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
dir="$work/folder"
fail() { echo "FAILED: $*"; exit 1; }

"$cli" init --folder "$dir" > "$work/init.out" || fail "init exited $?: $(cat "$work/init.out")"
"$cli" stations --with-data --folder "$dir" > "$work/with-data"
for wmo in 72518 72606 74494 87576 71701; do
  line="$(grep "^$wmo " "$work/with-data")" || fail "station $wmo has no data after init"
  case "$line" in *"(DEMO)"*) fail "real station marked as demo: $line" ;; esac
done
[ "$(grep -c '(DEMO)' "$work/with-data")" -eq 8 ] || fail "the 8 demo stations are not all there"
grep -q "^13 stations" "$work/with-data" || fail "with data: $(tail -1 "$work/with-data")"

count="$("$cli" stations --folder "$dir" | tail -1 | cut -d' ' -f1)"
[ "$count" -ge 900 ] || fail "only $count stations"
[ "$("$cli" default-station --folder "$dir")" = 72518 ] || fail "the default station is not Albany"

head -c 3000 /dev/urandom > "$work/12345 junk.txt"
printf 'Balloon launched at noon.\n' > "$work/notes.txt"
if "$cli" import --folder "$dir" "$work/12345 junk.txt" "$work/notes.txt" > "$work/import.out" 2>&1; then
  fail "importing junk reported success"
fi
grep -q "2 file(s) not imported: 12345 junk.txt, notes.txt" "$work/import.out" || fail "$(cat "$work/import.out")"
[ ! -e "$dir/data/12345.dat" ] || fail "a station data file was made for junk"
"$cli" stations --with-data --folder "$dir" | grep -q "^13 stations" || fail "junk added a station with data"
echo "init folder: $count stations, 5 real and 8 demo with data"
