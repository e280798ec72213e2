#!/bin/sh
# The Wine prefix of a Windows build tree, and programs run in it.
#   wine.sh <prefix> start        create the prefix if missing, keep a wineserver running
#   wine.sh <prefix> stop         stop that wineserver
#   wine.sh <prefix> <program> …  run a Windows program
# The Chinese locale alone makes Wine's ANSI code page 936, as on the users' systems;
# VELMORA_WINE_LOCALE=en_US.UTF-8 runs a program as on an English Windows (code page 1252).
# Wine names the files of the Linux side in the glibc locale's character set, so a name
# holding Chinese characters needs that locale generated: both are, inside the prefix
# (LOCPATH), as Debian generates none of its own.
set -eu
export WINEPREFIX="$1" WINEDEBUG=-all LC_ALL="${VELMORA_WINE_LOCALE:-zh_CN.UTF-8}"
export LOCPATH="$WINEPREFIX/locales"
shift
case "$1" in
  start)
    for locale in zh_CN en_US; do
      if [ ! -d "$LOCPATH/$locale.UTF-8" ]; then
        rm -rf "$LOCPATH/new" && mkdir -p "$LOCPATH"
        localedef -i "$locale" -f UTF-8 "$LOCPATH/new"
        mv "$LOCPATH/new" "$LOCPATH/$locale.UTF-8"
      fi
    done
    # A persistent server spares every test executable the server's start-up (1.6 s),
    # and the boot starts the prefix's background services (creating the prefix the
    # first time), so no test starts them. Both outlive this script: their output is let
    # go, or the test runner would wait for them to close it.
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      mkdir -p "$WINEPREFIX"
      wineboot -i </dev/null >/dev/null 2>&1
      # Windows go on Wine's virtual desktop, where window operations are fast and
      # reliable. It must be set before the session that uses it starts: a session whose
      # desktop changes under it holds a closing window's messages for about two seconds.
      explorer='HKCU\Software\Wine\Explorer'
      wine reg add "$explorer" /v Desktop /d Default /f >/dev/null 2>&1
      wine reg add "$explorer\Desktops" /v Default /d 1024x768 /f >/dev/null 2>&1
      # Title bars draw their buttons in Marlett, which Wine does not find where Debian
      # installs it (fonts-wine).
      marlett=/usr/share/wine/fonts/marlett.ttf
      [ ! -f "$marlett" ] || cp "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/"
      # The window asks for 微软雅黑, which no Debian package has: Wine then takes
      # whatever fontconfig prefers for Chinese, which changes as soon as another CJK font
      # is installed (fonts-droid-fallback, for one, has wider Latin letters). Pin it to
      # the project's own CJK font, so the window reads the same on every machine.
      replacements='HKCU\Software\Wine\Fonts\Replacements'
      for face in "微软雅黑" "微软雅黑 Light"; do
        wine reg add "$replacements" /v "$face" /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1
      done
      wineserver -k 2>/dev/null || true
      wineserver -w
    fi
    wineserver -p </dev/null >/dev/null 2>&1 || true  # already running for this prefix
    # The first program of a server's session boots the prefix by itself and waits for
    # it; an explicit wineboot -i beside that boot would start a second service manager,
    # and two of them answer one service's calls in turn (a service installed through
    # one is unknown to the other, and its start times out).
    wine cmd.exe /c exit </dev/null >/dev/null 2>&1
    ;;
  stop)
    wineserver -k || true
    ;;
  *)
    exec wine "$@"
    ;;
esac
