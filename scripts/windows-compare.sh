#!/usr/bin/env bash
# Compares what pos-host prints in the Windows build, run under Wine, with
# what the Linux build prints, byte for byte, on standard output and standard
# error: the subprogram in both languages, a check, imported drawings (one
# with CRLF line ends), a decoded subprogram, a project's names. Needs
# build/dev and build/windows built.
set -euo pipefail
cd "$(dirname "$0")/.."
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
export WINEPREFIX="$PWD/build/windows/wine-prefix" WINEARCH=win64 WINEDEBUG=-all LC_ALL=C.UTF-8
unset DISPLAY
linux=build/dev/host/pos-host
windows=build/windows/host/pos-host.exe
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
status=0
while read -r -a args; do
    "$linux" "${args[@]}" >"$out/linux.out" 2>"$out/linux.err" || echo "exit $?" >>"$out/linux.err"
    "$wine64" "$windows" "${args[@]}" >"$out/windows.out" 2>"$out/windows.err" \
        || echo "exit $?" >>"$out/windows.err"
    if cmp -s "$out/linux.out" "$out/windows.out" && cmp -s "$out/linux.err" "$out/windows.err"; then
        echo "same bytes: pos-host ${args[*]}"
    else
        echo "DIFFERENT: pos-host ${args[*]}" >&2
        status=1
    fi
done <<'COMMANDS'
generate examples/worked_example.json --lang en
generate examples/worked_example.json --lang zh
check examples/worked_example.json --lang zh
import-dxf testdata/table/line_and_arcs.dxf
import-dxf testdata/dxf/r12_crlf_mirrored.dxf --arrange
decode examples/worked_example.il
list examples/project.json
COMMANDS
exit $status
