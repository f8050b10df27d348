#!/usr/bin/env bash
# Installs what is missing, builds Quillmark and starts it.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILL_BUILD_BENCH=OFF
cmake --build build -j "$(nproc)"
if [ ! -x build/app/quillmark ]; then
  echo "Quillmark est compilé, mais la fenêtre principale n'existe pas encore : rien à lancer."
  exit 0
fi
exec ./build/app/quillmark "$@"
