#!/usr/bin/env bash
# Takes the README's pictures of the windows at 100 % and 150 % display scale under Wine:
# the editor with the settings window over it, the password window of F1, and the unlock
# window, side by side in one picture for each scale.
#   scripts/scale-screenshots.sh [OUTPUT_FOLDER]      (default: docs/)
# Saves scale-100.png and scale-150.png. The 150 % pictures come from a Wine prefix of its
# own at 144 DPI (build/wineprefix-144). QNV_EXE names an already built qnv.exe to use.
set -euo pipefail
. "$(dirname "$0")/lib/env.sh"
. "$(dirname "$0")/lib/screenshots.sh"

qnv_screenshot_setup "${1:-}"

# px VALUE: a designed 96-DPI value at the scale being taken.
px() { echo $(( ($1 * dpi + 48) / 96 )); }

for dpi in 96 144; do
  percent=$(( dpi * 100 / 96 ))
  if [ "$dpi" = 96 ]; then
    unset QNV_WINEPREFIX QNV_WINE_DPI
    qnv_ensure_prefix
  else
    export QNV_WINEPREFIX=$QNV_ROOT/build/wineprefix-$dpi QNV_WINE_DPI=$dpi
    qnv_ensure_prefix
    # Room for the editor's 600 x 500 at this scale (this prefix serves only these pictures).
    qnv_wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1280x1024 /f >/dev/null 2>&1
    qnv_wineserver -w
  fi

  # A copy of the program without settings, a short Chinese document and a protected one.
  rm -rf "$work/$dpi" && mkdir -p "$work/$dpi"
  cp "$program" "$work/$dpi/qnv.exe"
  cp docs/示例笔记.qnv "$work/$dpi/笔记.qnv"
  cp tests/data/protected/rtf-document.qnv "$work/$dpi/加密.qnv"
  exe=$(qnv_wine winepath -w "$work/$dpi/qnv.exe" 2>/dev/null)

  qnv_wine "$exe" "$(qnv_wine winepath -w "$work/$dpi/笔记.qnv" 2>/dev/null)" >/dev/null 2>&1 &
  qnv_wait_for_desktop
  qnv_shot "$work/$dpi/started.png"
  inside=$(( $(px 50) + $(px 300) ))
  xdotool mousemove "$inside" "$inside" click 1
  xdotool mousemove "$inside" "$inside" click 3
  sleep 0.5
  xdotool key Up Up Up Up Up Up Up Return  # 设置: the seventh row from the bottom
  qnv_shot "$work/$dpi/settings.png"
  xdotool key alt+F4
  sleep 0.5
  xdotool mousemove "$inside" "$inside" click 1
  xdotool key F1
  qnv_shot "$work/$dpi/encrypt.png"
  qnv_wineserver -k 2>/dev/null || true
  sleep 1

  qnv_wine "$exe" "$(qnv_wine winepath -w "$work/$dpi/加密.qnv" 2>/dev/null)" >/dev/null 2>&1 &
  qnv_wait_for_desktop
  qnv_shot "$work/$dpi/unlock.png"
  qnv_wineserver -k 2>/dev/null || true
  sleep 1

  # Each window with a little of the desktop around it: the editor on the left, the
  # settings window and the two password windows beside it.
  m=$(px 4)
  crop() {  # crop FILE LEFT TOP WIDTH HEIGHT (96-DPI units) OUT
    convert "$1" -crop "$(( $(px $4) + 2 * m ))x$(( $(px $5) + 2 * m ))+$(( $(px $2) - m ))+$(( $(px $3) - m ))" +repage "$6"
  }
  crop "$work/$dpi/started.png" 50 50 600 500 "$work/$dpi/editor.png"
  crop "$work/$dpi/settings.png" 50 50 620 84 "$work/$dpi/settings-window.png"
  crop "$work/$dpi/encrypt.png" 50 50 252 50 "$work/$dpi/encrypt-window.png"
  crop "$work/$dpi/unlock.png" 50 50 252 50 "$work/$dpi/unlock-window.png"
  gap=$(px 8)
  convert -background white "$work/$dpi/settings-window.png" -size "1x$gap" xc:white \
    "$work/$dpi/encrypt-window.png" -size "1x$gap" xc:white "$work/$dpi/unlock-window.png" \
    -gravity west -append "$work/$dpi/column.png"
  convert -background white "$work/$dpi/editor.png" -size "${gap}x1" xc:white "$work/$dpi/column.png" \
    -gravity north +append "$out/scale-$percent.png"
  qnv_log "saved $out/scale-$percent.png"
done
