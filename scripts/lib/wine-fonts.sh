# Links the faces Wine's own dialogs, message boxes and title bars use to the installed Japanese
# faces, so that notices and questions show Japanese instead of boxes. Needs WINE set and the
# prefix (WINEPREFIX) created.
link_japanese_faces() {
  local link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
  local targets='ume-ugo4.ttf,Ume UI Gothic\0NotoSansCJK-Regular.ttc,Noto Sans CJK JP'
  local face
  for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI" "Microsoft Sans Serif" "MS Sans Serif" \
    "Lucida Sans Unicode" Arial "Liberation Sans"; do
    "$WINE" reg add "$link" /v "$face" /t REG_MULTI_SZ /d "$targets" /f >/dev/null 2>&1
  done
}
