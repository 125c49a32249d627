#!/usr/bin/env bash
# Installs the libraries of each preset into a fresh prefix, build/<preset>/sdk, and builds
# examples/hello_skin against it in build/<preset>/hello_skin, as another project would:
# find_package(Varnel CONFIG REQUIRED) and Varnel::skin. Both are the build tree's targets
# varnel_sdk and hello_skin_example (see cmake/packaging.cmake), which build what they need.
#
#   scripts/examples.sh [preset...]      (x64 and x86 by default)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(x64 x86)
for preset in "${presets[@]}"; do
  [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
  cmake --build "build/$preset" -j"$(nproc)" --target hello_skin_example >/dev/null
  echo "examples: build/$preset/hello_skin/hello_skin.exe against build/$preset/sdk"
done
