#!/bin/bash
# Sets up, builds and runs every test: the native unit tests, the Win32 tests
# in-process under Wine, and the end-to-end tests of the real programs.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh || exit 1
bash scripts/build.sh || exit 1

logs=build/test-logs
mkdir -p "$logs"
status=0
ctest --test-dir build/native --output-on-failure -j "$(nproc)" 2>&1 | tee "$logs/native.log"
((PIPESTATUS[0])) && status=1
# Wine tests share one bench (prefix, display, registry, playlist file): one at a time.
ctest --test-dir build/win32 --output-on-failure 2>&1 | tee "$logs/win32.log"
((PIPESTATUS[0])) && status=1

# One closing line for both runs.
total=0 failed=0
for log in "$logs/native.log" "$logs/win32.log"; do
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1)
  if [ -z "$line" ]; then status=1; continue; fi
  n=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  f=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
  total=$((total + n)) failed=$((failed + f))
done
((failed)) && status=1
echo "$((total - failed)) passed, $failed failed"
exit $status
