#!/usr/bin/env bash
# Installs what is missing, builds Quillmark and starts it.
#   scripts/run.sh          the demo: a video, its companion videos and three
#                           tracks of annotations, made once under build/demo
#   scripts/run.sh ARGS...  quillmark ARGS... (see scripts/run.sh --help)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

bash scripts/deps.sh
# Configured once; the build step itself re-runs CMake when a CMakeLists changes.
if [ ! -f build/CMakeCache.txt ] || { [ ! -f build/Makefile ] && [ ! -f build/build.ninja ]; }; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILL_BUILD_BENCH=OFF > /dev/null
fi
cmake --build build -j "$(nproc)" --target quillmark
if [ "$#" -eq 0 ]; then
  demo="$here/build/demo"
  bash scripts/make-demo.sh "$demo"
  set -- --annotations "$demo/demo.xml" --folder "$demo" "$demo/demo.mp4"
fi
exec ./build/app/quillmark "$@"
