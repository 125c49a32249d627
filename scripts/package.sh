#!/usr/bin/env bash
# Writes the release archives out/Varnel-<version>-win64.zip and out/Varnel-<version>-win32.zip
# with CPack: the stripped programs, the README and the licence (install component "program").
#
#   scripts/package.sh [--no-build] [preset...]
#
# Builds the programs of each preset first (x64 and x86 by default) unless --no-build says the
# build trees are up to date already. An archive newer than the programs, the README and the
# licence is left as it is.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
build=1
if [ "${1:-}" = --no-build ]; then build=0; shift; fi
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(x64 x86)
mkdir -p out
for preset in "${presets[@]}"; do
  if [ $build = 1 ]; then
    [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j"$(nproc)" --target Varnel varnel_gallery
  fi
  # An archive newer than everything it holds is current: it is not made again.
  name=$(sed -n 's/^set(CPACK_PACKAGE_FILE_NAME "\(.*\)")$/\1/p' "build/$preset/CPackConfig.cmake")
  current="out/$name.zip"
  for input in "build/$preset/Varnel.exe" "build/$preset/gallery/varnel_gallery.exe" \
               README.md LICENSE; do
    [ -f "$current" ] && [ "$current" -nt "$input" ] || current=""
  done
  if [ -n "$current" ]; then
    echo "package: $current is current"
    continue
  fi
  staging="build/$preset/package"
  rm -rf "$staging"
  (cd "build/$preset" && cpack -G ZIP -B "$root/$staging" >/dev/null)
  archive=$(ls "$staging"/Varnel-*.zip)
  # Only the current version of each system's archive stays in out/.
  system=${archive##*-}
  rm -f out/Varnel-*-"$system"
  mv "$archive" out/
  echo "package: out/$(basename "$archive") ($(stat -c %s "out/$(basename "$archive")") bytes)"
done
