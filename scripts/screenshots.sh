#!/usr/bin/env bash
# Takes the README's pictures under Wine: the right-click menu over a Chinese document, the
# text-colour palette, the settings window and the find window.
#   scripts/screenshots.sh [OUTPUT_FOLDER]      (default: docs/)
# Drives the program with xdotool on its own Xvfb and saves context-menu.png, palette.png,
# settings.png and find.png. QNV_EXE names an already built qnv.exe to use instead of building one.
set -euo pipefail
. "$(dirname "$0")/lib/env.sh"
. "$(dirname "$0")/lib/screenshots.sh"

qnv_screenshot_setup "${1:-}"
qnv_ensure_prefix

# A copy of the program in a folder of its own, so that it starts without a settings file,
# and a short Chinese document in RTF (GBK bytes written as \'xx).
cp "$program" "$work/qnv.exe"
python3 - "$work/会议笔记.qnv" <<'EOF'
import sys

def rtf(text):
    return "".join("\\'%02x" % b if b > 127 else chr(b) for b in text.encode("gbk"))

body = [
    r"\qc\b\fs36 " + rtf("周一项目会议笔记") + r"\b0\fs24\par",
    r"\ql " + rtf("时间：上午九点，三楼会议室") + r"\par",
    rtf("一、") + r"\cf2 " + rtf("本周必须完成") + r"\cf1 " + rtf("设置窗口和右键菜单的测试。") + r"\par",
    rtf("二、") + r"\ul " + rtf("加密保存") + r"\ulnone " + rtf("的性能目标已经达到。") + r"\par",
    rtf("三、下次会议讨论文件关联和图标。") + r"\par",
]
doc = (r"{\rtf1\ansi\ansicpg936\deff0{\fonttbl{\f0\fnil\fcharset134 " + rtf("微软雅黑") + r";}}"
       r"{\colortbl ;\red255\green255\blue255;\red255\green0\blue0;}\f0\fs24\cf1 " + "\n".join(body) + "}")
open(sys.argv[1], "wb").write(doc.encode("ascii"))
EOF

exe=$(qnv_wine winepath -w "$work/qnv.exe" 2>/dev/null)
doc=$(qnv_wine winepath -w "$work/会议笔记.qnv" 2>/dev/null)
qnv_wine "$exe" "$doc" >/dev/null 2>&1 &

shot() {
  qnv_shot "$1" 1024x768+0+0
  qnv_log "saved $1"
}

qnv_wait_for_desktop
shot "$work/started.png"

# The editor window is at 50, 50 of the desktop, 600 x 500.
xdotool mousemove 330 330 click 1
xdotool mousemove 330 330 click 3
shot "$out/context-menu.png"
xdotool key Escape

# The palette opens at the pointer for the selected line.
xdotool mousemove 200 170 click 1
xdotool key Home shift+End
xdotool mousemove 250 180
xdotool key ctrl+q
shot "$out/palette.png"
xdotool key Escape

# The settings window, from the last designed item of the menu (seventh from the bottom).
xdotool mousemove 330 330 click 3
sleep 0.5
xdotool key Up Up Up Up Up Up Up Return
shot "$out/settings.png"
xdotool key alt+F4
sleep 0.5

# The find window (Ctrl+F3), starting with the word selected in the title, after one search
# has found it in the next line.
xdotool mousemove 200 88 click 1
xdotool key Home Right Right Right Right shift+Right shift+Right
xdotool key ctrl+F3
sleep 1
xdotool key Return
shot "$out/find.png"
