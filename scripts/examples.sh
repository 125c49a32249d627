#!/usr/bin/env bash
# Installs the libraries of each built preset into a fresh prefix, build/<preset>/sdk, and builds
# examples/hello_skin against it in build/<preset>/hello_skin, as another project would:
# find_package(Varnel CONFIG REQUIRED) and Varnel::skin. The example's build tree is kept, so
# a second run only rebuilds what changed.
#
#   scripts/examples.sh [preset...]      (x64 and x86 by default; the presets must be built)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(x64 x86)
for preset in "${presets[@]}"; do
  tree="$root/build/$preset"
  rm -rf "$tree/sdk"
  cmake --install "$tree" --prefix "$tree/sdk" >/dev/null
  if [ ! -f "$tree/hello_skin/CMakeCache.txt" ]; then
    cmake -S examples/hello_skin -B "$tree/hello_skin" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$preset.cmake" \
      -DCMAKE_PREFIX_PATH="$tree/sdk" -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror" >/dev/null
  fi
  cmake --build "$tree/hello_skin" -j"$(nproc)" >/dev/null
  echo "examples: build/$preset/hello_skin/hello_skin.exe against build/$preset/sdk"
done
