#!/usr/bin/env bash
# The main job: builds the tools and generates the subprogram of the bundled
# example configuration.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$(nproc)" --target pos-host >/dev/null
exec build/dev/host/pos-host generate examples/worked_example.json "$@"
