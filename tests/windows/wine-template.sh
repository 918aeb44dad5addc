#!/usr/bin/env bash
# Makes the Wine prefix that wine-run.sh copies for every run: once per build tree (about
# 10 s), again only when Wine changes. Safe to call from tests running in parallel. The prefix
# is a win64 one, as Wine makes by default; with the 32-bit loader installed it runs i686
# programs too (its syswow64 is checked for them).
#
# usage: wine-template.sh DIR [win64|win32]     (the prefix goes to DIR/prefix)
# Exit status: 0 ready; 1 it cannot be made; 2 wrong usage; 77 (one line says why) for win32
# on a kernel that runs no 32-bit code.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"
[ $# -eq 1 ] || [ $# -eq 2 ] || { echo "usage: wine-template.sh DIR [win64|win32]" >&2; exit 2; }
dir=$1 arch=${2:-win64}
if ! wine_select "$arch"; then
    [ "$WINE_SKIP" = 1 ] && { echo "wine-template: skipped: $WINE_WHY"; exit 77; }
    echo "wine-template: $WINE_WHY" >&2
    exit 1
fi
readonly WINE=$WINE64
mkdir -p "$dir/absent" || exit 1
dir=$(cd "$dir" && pwd)

exec 8>"$dir/lock"
flock -w 300 8 || { echo "wine-template: $dir is locked for more than 300 s" >&2; exit 1; }

# Installing the 32-bit loader later must make the prefix anew (its syswow64 would be empty).
stamp="$("$WINE" --version 2>&1) $([ -x "$WINE32" ] && "$WINE32" --version 2>&1)"
stamp+=" $(stat -c %Y /usr/share/wine/wine.inf 2>/dev/null) ports-in-registry fonts-in-windows"
if [ -f "$dir/stamp" ] && [ "$(cat "$dir/stamp")" = "$stamp" ]; then
    exit 0
fi

rm -rf "$dir/prefix" "$dir/stamp"
mkdir -p "$dir/prefix"
# Seed the registry before the first start: hidden windows unmanaged (a managed one costs about
# 2 s each) and all four COM ports on a directory, so that not even the template's own start
# hands this machine's /dev/ttyS0 to com1.
{
    printf 'WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n'
    printf '[Software\\\\Wine\\\\Ports] 0\n'
    for n in 1 2 3 4; do
        printf '"COM%s"="%s"\n' "$n" "$dir/absent"
    done
} >"$dir/prefix/system.reg"
{
    printf 'WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n'
    printf '#arch=win64\n\n[Software\\\\Wine\\\\X11 Driver] 0\n"Managed"="N"\n'
} >"$dir/prefix/user.reg"

echo "wine-template: making the Wine prefix $dir/prefix" >&2
export WINEPREFIX=$dir/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
unset DISPLAY WAYLAND_DISPLAY
timeout 300 "$WINE" wineboot -i >"$dir/wineboot.log" 2>&1 8>&-
rc=$?
timeout 60 "$WINESERVER" -w 8>&-
if [ "$rc" != 0 ] || [ ! -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" ] ||
    ! grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg" ||
    ! grep -q '^\[Software\\\\Wine\\\\Ports\]' "$WINEPREFIX/system.reg"; then
    echo "wine-template: wine64 wineboot -i failed (status $rc):" >&2
    cat "$dir/wineboot.log" >&2
    exit 1
fi
# Wine draws the caption buttons with Marlett and substitutes the dialogs' "MS Sans Serif";
# this Wine does not look for them in its own data folder (fonts-wine), so they go where
# Windows keeps them. Without them a close box shows "r" and texts are clipped.
fonts=/usr/share/wine/fonts
[ -f "$fonts/marlett.ttf" ] && [ -f "$fonts/ms_sans_serif.ttf" ] ||
    { echo "wine-template: Wine's fonts are missing in $fonts (Debian package fonts-wine)" >&2; exit 1; }
cp -f "$fonts"/* "$WINEPREFIX/drive_c/windows/Fonts/" || exit 1
if [ -x "$WINE32" ] && [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
    echo "wine-template: the prefix has no 32-bit system (syswow64) although $WINE32 is here" >&2
    cat "$dir/wineboot.log" >&2
    exit 1
fi
echo "$stamp" >"$dir/stamp"
