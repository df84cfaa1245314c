#!/bin/bash
# Sets up, builds and runs every test: the native unit tests, the same tests
# and the fuzz targets under AddressSanitizer and UndefinedBehaviorSanitizer
# (corpus replay and a few seconds of fuzzing each), the Win32 tests
# in-process under Wine, and the end-to-end tests of the real programs.
# The closing line counts every test case of every layer from CTest's JUnit
# reports; a layer that leaves no report counts as one failure.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh || exit 1
bash scripts/build.sh native win32 sanitize || exit 1

# Sanitizer and fuzzer reports name the source lines.
export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer
logs=$root/build/test-logs
mkdir -p "$logs"
rm -f "$logs"/*.xml
layer() {  # name, ctest arguments...
  local name=$1
  shift
  ctest "$@" --output-on-failure --output-junit "$logs/$name.xml" 2>&1 | tee "$logs/$name.log"
}
layer native --test-dir build/native -j "$(nproc)"
layer sanitize --test-dir build/sanitize -j "$(nproc)"
# Wine tests share one bench (prefix, display, registry, playlist file): one at a time.
layer win32 --test-dir build/win32

python3 - "$logs" native sanitize win32 <<'PY'
import sys, xml.etree.ElementTree as ET
logs, layers = sys.argv[1], sys.argv[2:]
passed = failed = 0
for layer in layers:
    try:
        cases = ET.parse(f"{logs}/{layer}.xml").getroot().iter("testcase")
        statuses = [case.get("status") for case in cases]
    except (OSError, ET.ParseError):
        statuses = []
    if not statuses:
        print(f"{layer}: no test report")
        failed += 1
        continue
    ok = statuses.count("run")
    print(f"{layer}: {ok} passed, {len(statuses) - ok} failed")
    passed, failed = passed + ok, failed + len(statuses) - ok
print(f"{passed} passed, {failed} failed")
sys.exit(1 if failed else 0)
PY
