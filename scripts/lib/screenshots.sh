# Shared by the scripts that take the README's pictures under Wine. Sourced after env.sh.

# qnv_screenshot_setup [OUTPUT_FOLDER]: installs what taking pictures needs, starts a display
# of its own and sets `out` (the folder given, default docs/, created), `program` (the
# qnv.exe to show: QNV_EXE, or the windows preset's build) and `work` (a scratch folder).
# The display, Wine and the scratch folder go at exit.
qnv_screenshot_setup() {
  out=$(realpath -m "${1:-$QNV_ROOT/docs}")
  mkdir -p "$out"
  qnv_ensure_packages
  if ! command -v xdotool >/dev/null; then
    qnv_log "installing: xdotool"
    qnv_as_root apt-get install -y -q --no-install-recommends xdotool >/dev/null
  fi
  cd "$QNV_ROOT"
  program=${QNV_EXE:-}
  if [ -z "$program" ]; then
    if [ ! -f build/windows/build.ninja ]; then cmake --preset windows >/dev/null; fi
    cmake --build --preset windows --target qnv >/dev/null
    program=build/windows/qnv.exe
  fi
  work=$(mktemp -d)
  trap qnv_screenshot_cleanup EXIT
  unset DISPLAY
  qnv_ensure_display
}

qnv_screenshot_cleanup() {
  qnv_wineserver -k 2>/dev/null || true
  rm -rf "$work"
  qnv_stop_display
}

# Waits until Wine's virtual desktop is on the screen.
qnv_wait_for_desktop() {
  for _ in $(seq 1 200); do
    xwininfo -root -tree 2>/dev/null | grep -q 'Wine desktop' && return 0
    sleep 0.1
  done
}

# qnv_shot FILE [GEOMETRY]: saves the screen (or this part of it) once two pictures a moment
# apart are the same.
qnv_shot() {
  local file=$1 crop=() prev= sum
  [ -z "${2:-}" ] || crop=(-crop "$2" +repage)
  for _ in $(seq 1 40); do
    sleep 0.4
    import -window root "${crop[@]}" "$file.tmp.png" 2>/dev/null || continue
    sum=$(md5sum < "$file.tmp.png")
    [ "$sum" = "$prev" ] && break
    prev=$sum
  done
  mv "$file.tmp.png" "$file"
}
