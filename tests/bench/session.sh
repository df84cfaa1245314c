# Sourced by the benchmark and soak scripts: starts a bench (private Wine
# prefix and Xvfb display) in DIR and stops it when the script exits. Then
# WINEPREFIX and DISPLAY name the bench, and winpath gives the path under
# which Wine sees a Linux file (on drive Z:).
#   . tests/bench/session.sh DIR [WxH [OPTION...]]   (layouts and no-mpeg-video: see bench.sh)
bench=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/bench.sh
dir=$1
"$bench" start "$dir" "${2:-640x480}" "${@:3}" >/dev/null || exit 1
trap '"$bench" stop "$dir" >/dev/null' EXIT
# shellcheck disable=SC1091
. "$dir/env"
export WINEDEBUG=-all

winpath() { local p="Z:$1"; echo "${p//\//\\}"; }
