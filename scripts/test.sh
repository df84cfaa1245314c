#!/bin/bash
# Sets up, builds and runs every test: the native unit tests, the same tests
# and the fuzz targets under AddressSanitizer and UndefinedBehaviorSanitizer
# (corpus replay and a few seconds of fuzzing each), the Win32 tests
# in-process under Wine, and the end-to-end tests of the real programs.
# Both Windows trees are built everywhere. The x64 tree runs every layer. The
# x86 tree runs where the machine runs 32-bit code (scripts/machine.sh): its
# in-process Win32 tests and its package, while the end-to-end suite runs once,
# on the x64 programs, to keep the run near a quarter of an hour. Elsewhere its
# tests that need Wine are reported as skipped, with the reason.
# The closing line counts every test case of every layer from CTest's JUnit
# reports; a layer that leaves no report counts as one failure.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# shellcheck source=machine.sh
. scripts/machine.sh

bash scripts/setup.sh || exit 1
bash scripts/build.sh native win32 win64 sanitize || exit 1

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
layer x64 --test-dir build/win64
if runs_32bit; then
  layer x86 --test-dir build/win32 -LE e2e
else
  echo "x86: this machine runs no 32-bit code: the x86 programs' tests under Wine are skipped"
  layer x86 --test-dir build/win32
fi

python3 - "$logs" native sanitize x64 x86 <<'PY'
import sys, xml.etree.ElementTree as ET
logs, layers = sys.argv[1], sys.argv[2:]
passed = failed = skipped = 0
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
    # Disabled: tests that cannot run on this sort of machine (see above); a
    # test not run for any other reason is a failure.
    off = statuses.count("disabled")
    bad = len(statuses) - ok - off
    print(f"{layer}: {ok} passed, {bad} failed, {off} skipped")
    passed, failed, skipped = passed + ok, failed + bad, skipped + off
print(f"{passed} passed, {failed} failed, {skipped} skipped")
sys.exit(1 if failed else 0)
PY
