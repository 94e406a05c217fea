#!/usr/bin/env bash
# The main job: opens the POS wizard through the stand-in host on a copy of
# the bundled example project (build/dev/example-project.json) and prints the
# subprogram it generates. Without a display it shows the headless demo: the
# subprogram of the bundled example configuration.
# Options go to pos-host, e.g. scripts/run.sh --lang zh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$(nproc)" --target pos-host POS >/dev/null

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    project=build/dev/example-project.json
    [ -f "$project" ] || cp examples/project.json "$project"
    exec build/dev/host/pos-host new "$project" "$@"
fi
echo "No display: the headless demo prints the subprogram of examples/worked_example.json." >&2
echo "For the wizard itself: xvfb-run -a scripts/run.sh, or run it in a desktop session." >&2
exec build/dev/host/pos-host generate examples/worked_example.json "$@"
