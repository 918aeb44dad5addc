# Wine's programs as the harness scripts use them, by full path: nothing depends on what the
# PATH or the alternatives system of a machine happen to hold. Sourced, not run.
#
# wine_select ARCH   ARCH win64 or win32: sets WINE (the loader that runs that kind of program;
#                    both run in the same win64 prefix) or returns 1 with WINE_WHY set when this
#                    machine cannot run it (WINE_SKIP=1: a skip, not a failure).
readonly WINE64=/usr/lib/wine/wine64 WINE32=/usr/lib/wine/wine
readonly WINESERVER=/usr/lib/wine/wineserver     # from libwine, picks wineserver64 or 32
readonly LESAMO_SCRIPTS=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)

wine_select() {
    WINE= WINE_WHY= WINE_SKIP=0
    case $1 in
        win64)
            [ -x "$WINE64" ] || { WINE_WHY="$WINE64 is missing (Debian package wine64)"; return 1; }
            WINE=$WINE64 ;;
        win32)
            local why
            why=$("$LESAMO_SCRIPTS/runs-32bit.sh" --why)
            case $? in
                0) ;;
                1) WINE_WHY="no 32-bit Wine here: $why"; WINE_SKIP=1; return 1 ;;
                *) WINE_WHY="cannot tell whether 32-bit code runs here"; return 1 ;;
            esac
            [ -x "$WINE32" ] || { WINE_WHY="$WINE32 is missing although 32-bit code runs here \
(Debian package wine32:i386; scripts/install-deps.sh installs it)"; return 1; }
            WINE=$WINE32 ;;
        *) WINE_WHY="unknown Wine architecture '$1'"; return 1 ;;
    esac
    [ -x "$WINESERVER" ] || { WINE_WHY="$WINESERVER is missing (Debian package libwine)"; return 1; }
}
