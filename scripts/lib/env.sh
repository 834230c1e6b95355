# Shared by the run and test commands and by the Wine emulator that CTest uses.
# Sourced, not run. Everything here is idempotent: a second call costs next to nothing.

QNV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
QNV_PACKAGES=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev googletest libbenchmark-dev
  libgcrypt20-dev libgcrypt-mingw-w64-dev pkgconf g++-mingw-w64-x86-64-posix wine64 xvfb xauth x11-utils fonts-wqy-microhei imagemagick locales
  nsis)

qnv_log() { printf '[qnv] %s\n' "$*" >&2; }

qnv_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the Debian packages the build, the tests and Wine need, when any is missing.
qnv_ensure_packages() {
  local missing=() p
  for p in "${QNV_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    qnv_log "installing: ${missing[*]}"
    qnv_as_root apt-get update -q >/dev/null
    qnv_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
  fi
  # Wine takes the ANSI code page from the locale: zh_CN.UTF-8 gives 936 (GBK), as on the users' systems.
  if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
    qnv_log "generating the zh_CN.UTF-8 locale"
    qnv_as_root sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | qnv_as_root tee -a /etc/locale.gen >/dev/null
    qnv_as_root locale-gen >/dev/null
  fi
}

qnv_wine() {
  local w
  for w in /usr/lib/wine/wine64 "$(command -v wine64 2>/dev/null)" "$(command -v wine 2>/dev/null)"; do
    [ -n "$w" ] && [ -x "$w" ] && { "$w" "$@"; return; }
  done
  qnv_log "wine64 not found"; return 127
}

qnv_wineserver() {
  local s
  for s in /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver "$(command -v wineserver 2>/dev/null)"; do
    [ -n "$s" ] && [ -x "$s" ] && { "$s" "$@"; return; }
  done
}

# The Wine environment: our own prefix inside the build folder, Chinese locale, no debug noise.
qnv_wine_env() {
  export WINEPREFIX=${QNV_WINEPREFIX:-$QNV_ROOT/build/wineprefix}
  export WINEDEBUG=-all
  # No Mono or Gecko prompts, and no menu entries or file types on the host for what an
  # installer registers in the prefix.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
  export WINEARCH=win64
}

# Creates the prefix once and brings its settings up to date: font replacements so that
# captions, menus and dialogs draw Chinese with the installed CJK font, no crash dialog, and
# a virtual desktop for every program. The desktop draws window frames and captions without
# a window manager, and spares the two-second wait Wine makes for one when a window closes.
# QNV_WINE_DPI (144 for 150 %, 192 for 200 %) sets the prefix's display scale; give such a
# prefix a folder of its own with QNV_WINEPREFIX.
QNV_PREFIX_VERSION=2
qnv_ensure_prefix() {
  qnv_wine_env
  mkdir -p "$(dirname "$WINEPREFIX")"
  local ready=$QNV_PREFIX_VERSION
  [ -z "${QNV_WINE_DPI:-}" ] || ready="$ready dpi $QNV_WINE_DPI"
  (
    flock 9
    [ "$(cat "$WINEPREFIX/.qnv-ready" 2>/dev/null)" = "$ready" ] && exit 0
    qnv_log "setting up the Wine prefix $WINEPREFIX"
    [ -f "$WINEPREFIX/system.reg" ] || qnv_wine wineboot -i >/dev/null 2>&1
    local font="WenQuanYi Micro Hei" f
    for f in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "SimSun" "NSimSun" "宋体" "新宋体" \
             "Microsoft YaHei" "微软雅黑" "Segoe UI" "Arial" "MS Sans Serif"; do
      qnv_wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$f" /t REG_SZ /d "$font" /f >/dev/null 2>&1
    done
    qnv_wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    qnv_wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1024x768 /f >/dev/null 2>&1
    qnv_wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
    if [ -n "${QNV_WINE_DPI:-}" ]; then
      qnv_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$QNV_WINE_DPI" /f >/dev/null 2>&1
    fi
    qnv_wineserver -w
    echo "$ready" > "$WINEPREFIX/.qnv-ready"
  ) 9>"$(dirname "$WINEPREFIX")/.wineprefix.lock"
}

# Starts a private Xvfb when there is no display; sets DISPLAY and QNV_XVFB_PID.
qnv_ensure_display() {
  QNV_XVFB_PID=
  [ -n "${DISPLAY:-}" ] && return 0
  local n
  for n in $(seq 90 160); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    QNV_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$QNV_XVFB_PID" 2>/dev/null || break
      sleep 0.05
    done
    if [ -e "/tmp/.X11-unix/X$n" ]; then export DISPLAY=":$n"; return 0; fi
  done
  qnv_log "could not start Xvfb"; return 1
}

# Stops the private Xvfb, if one was started. Always succeeds: it runs from EXIT traps,
# where a failing command would replace the script's own exit status.
qnv_stop_display() {
  if [ -n "${QNV_XVFB_PID:-}" ]; then
    qnv_wineserver -k 2>/dev/null || true
    kill "$QNV_XVFB_PID" 2>/dev/null || true
    wait "$QNV_XVFB_PID" 2>/dev/null || true
    QNV_XVFB_PID=
  fi
  return 0
}
