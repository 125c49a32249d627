#!/usr/bin/env bash
# Installs everything a fresh Debian 12 machine lacks to build, run and test Varnel, and
# prepares the Wine prefix. Idempotent: a second run only checks.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

# fonts-liberation: GDI+'s generic serif family is "Times New Roman" or, failing that,
# "Liberation Serif"; a machine without either has no generic serif family at all.
# python3-unicorn: an x86 emulator that runs the generated 32-bit thunk code in the tests (the
# machine itself runs no 32-bit code).
# The -posix compilers only (std::thread); the -win32 ones, which the g++-mingw-w64-* packages
# would bring as well, are never used.
packages=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 xvfb xauth imagemagick
          fonts-wqy-microhei fonts-wine fonts-liberation libboost1.81-dev python3 cmake make
          googletest locales python3-unicorn)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  grep -q '^zh_CN.UTF-8' /etc/locale.gen 2>/dev/null || echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null 2>&1 || true
fi

. "$here/env.sh"
marker="$WINEPREFIX/.varnel-ready"
if [ ! -f "$marker" ]; then
  echo "setup: creating the Wine prefix in $WINEPREFIX (about two minutes)"
  mkdir -p "$WINEPREFIX"
  "$VARNEL_WINE" wineboot -i >/dev/null 2>&1
  "$VARNEL_WINESERVER" -w
  # Debian's Wine leaves the fonts folder empty: Tahoma and the generic GDI+ families live here.
  cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  # The program's texts ask for the usual Chinese faces; map them to the installed CJK font.
  for face in 宋体 新宋体 SimSun NSimSun; do
    "$VARNEL_WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" \
      /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1
  done
  "$VARNEL_WINESERVER" -w
  touch "$marker"
fi
# A program that crashes prints its backtrace and ends, instead of waiting behind the crash
# dialog until the test's timeout.
if [ ! -f "$WINEPREFIX/.varnel-no-crash-dialog" ]; then
  "$VARNEL_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    >/dev/null 2>&1
  "$VARNEL_WINESERVER" -w
  touch "$WINEPREFIX/.varnel-no-crash-dialog"
fi
echo "setup: ready (Wine prefix $WINEPREFIX)"
