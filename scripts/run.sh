#!/usr/bin/env bash
# Installs what is missing, builds, and starts the viewer on a sample model.
#   scripts/run.sh [PilvoNcViewer|PilvoStlViewer] [FILE...]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja > /dev/null
cmake --build build

program=${1:-PilvoNcViewer}
shift || true
files=("$@")
if [ ${#files[@]} -eq 0 ]; then files=(samples/bracket.stl); fi
exec "build/bin/$program" "${files[@]}"
