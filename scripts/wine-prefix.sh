# Sourced by the scripts that run the Windows updater under Wine (the
# end-to-end walk, the benchmark at real size): the environment of a Wine
# prefix of their own, and a fresh prefix made in it. Needs wine-loaders.sh.

# The environment of the prefix $1/wineprefix, with a home of its own in
# $1/home and Japanese texts.
wine_prefix_environment() {
  export HOME="$1/home"
  export WINEPREFIX="$1/wineprefix"
  export WINEARCH=win64
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export LC_ALL=ja_JP.UTF-8
}

# The user of the prefix: the folder of drive_c/users that is not Public.
wine_prefix_user() {
  local folder
  for folder in "$WINEPREFIX/drive_c/users"/*; do
    [ "$(basename "$folder")" = Public ] || { basename "$folder"; return; }
  done
}

# Makes the prefix anew, through the 64-bit loader $1 (log in $2): Windows 10,
# the X11 driver with the windows' own frames (there is no window manager),
# the dialog fonts drawn with Noto Sans CJK JP, the user folders Wine links
# to $HOME made plain folders, and no Z: drive, so that a search sees C:
# alone. Says why on standard error and returns 1 when it cannot.
wine_make_prefix() {
  local wine64=$1 log=$2 c="$WINEPREFIX/drive_c" link
  timeout 30 wineserver -k 2>/dev/null
  rm -rf "$WINEPREFIX" "$HOME"
  mkdir -p "$HOME"
  (unset DISPLAY WAYLAND_DISPLAY; timeout 120 "$wine64" wineboot --init >"$log" 2>&1) ||
    { echo "wineboot could not make the prefix" >&2; return 1; }
  timeout 60 wineserver -w
  printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_CURRENT_USER\Software\Wine]' '"Version"="win10"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Drivers]' '"Graphics"="x11"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Decorated"="N"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
    '"ＭＳ Ｐゴシック"="Noto Sans CJK JP"' '"MS Shell Dlg"="Noto Sans CJK JP"' '' |
    iconv -f UTF-8 -t UTF-16 >"$c/settings.reg"
  (unset DISPLAY WAYLAND_DISPLAY; timeout 60 "$wine64" regedit /S 'C:\settings.reg') ||
    { echo "the prefix settings were refused" >&2; return 1; }
  timeout 60 wineserver -w
  rm -f "$c/settings.reg"
  for link in "$c/users/$(wine_prefix_user)"/*; do
    if [ -L "$link" ]; then rm "$link" && mkdir "$link"; fi
  done
  rm -f "$WINEPREFIX/dosdevices/z:"
  # Debian's Wine does not find its own fonts; the caption buttons need Marlett.
  [ ! -f /usr/share/wine/fonts/marlett.ttf ] || cp /usr/share/wine/fonts/marlett.ttf "$c/windows/Fonts/"
}

# Removes the prefix and its home once a script has passed: a prefix holds
# over a gigabyte of Windows' system files, and a test run makes several.
# A failed script keeps its prefix to be looked at.
# Only the folders wine_prefix_environment named: never a home of the caller's.
wine_remove_prefix() {
  local work
  work=$(dirname "${WINEPREFIX:?no Wine prefix set}")
  [ "$HOME" = "$work/home" ] || return 0
  timeout 30 wineserver -k 2>/dev/null
  rm -rf "$WINEPREFIX" "$HOME"
}
