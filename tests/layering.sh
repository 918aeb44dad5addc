#!/usr/bin/env bash
# The layering the build relies on, checked over the sources; this script is its one owner
# (the compiler sees the whole source root). Each include is resolved as the compiler finds
# it, so "../ui/x.h", "ui/x.h" and <ui/x.h> are one and the same include of ui/:
#   - the core (common/, detect/, config/) includes nothing of ui/ and nothing of res/;
#   - detect/ includes nothing of config/ (the writers use the scan, never the other way);
#   - the product (the core, ui/, res/) includes nothing of tests/, tools/, bench/, fuzz/;
#   - only a platform file includes a platform header (<windows.h>, <termios.h>, <curses.h>,
#     <unistd.h>, <sys/...>, ...): one whose path names its platform (_win32, _posix, win32/,
#     curses/), or one in tests/windows/, the tests built only into the Windows trees.
#
# usage: layering.sh SOURCE_FOLDER      exit status 0 when it holds, 1 with each breach listed
set -uo pipefail
cd "${1:?usage: layering.sh SOURCE_FOLDER}" || exit 2

sources=$(find . -path ./build -prune -o -path './.git' -prune -o \
    -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print | sed 's|^\./||' | sort)
[ -n "$sources" ] || { echo "layering: no sources under $PWD" >&2; exit 2; }

readonly include='^[[:space:]]*#[[:space:]]*include[[:space:]]*'
readonly platform_header='(windows|winbase|winuser|commctrl|shellapi|shlobj|io|direct|unistd|fcntl|termios|poll|pwd|grp|pty|pthread|dlfcn|dirent|signal|time|curses|ncurses)\.h|(sys|asm|linux|ncursesw)/[a-z_/]+\.h'
readonly folders='common|detect|config|ui|res|tests|tools|bench|fuzz'

# Sets `reached` to the folder of the source tree that an include of `file` reaches, or to
# nothing for a system header. Plain bash, no process per include: the tree has hundreds.
reached_folder() {
    local file=$1 name=$2 quoted=$3 part path=()
    local dir=${file%/*}
    [[ $dir == "$file" ]] && dir=.
    if [[ $quoted == yes && ( $name == ../* || $name == ./* || -e $dir/$name ) ]]; then
        name=$dir/$name
    fi
    local IFS=/
    for part in $name; do
        case $part in
        '' | .) ;;
        ..) [ ${#path[@]} -gt 0 ] && unset 'path[-1]' ;;
        *) path+=("$part") ;;
        esac
    done
    reached=
    [[ ${#path[@]} -gt 1 && ${path[0]} =~ ^($folders)$ ]] && reached=${path[0]}
}

breach() { echo "$1:$2: $3: $4"; }

# Every include of every source, "file:line:text", in one grep.
check_includes() {
    local file line hit name quoted layer reached
    while IFS= read -r hit; do
        file=${hit%%:*}
        hit=${hit#*:}
        line=${hit%%:*}
        hit=${hit#*:}
        layer=${file%%/*}
        if [[ $hit =~ $include\"([^\"]+)\" ]]; then
            name=${BASH_REMATCH[1]} quoted=yes
        elif [[ $hit =~ $include\<([^\>]+)\> ]]; then
            name=${BASH_REMATCH[1]} quoted=no
        else
            continue
        fi
        if [[ $quoted == no && $name =~ ^($platform_header)$ ]]; then
            case $file in
            *_win32.* | *_posix.* | */win32/* | */curses/* | tests/windows/*) ;;
            *) breach "$file" "$line" "a platform header outside a platform file" "$hit" ;;
            esac
            continue
        fi
        reached_folder "$file" "$name" "$quoted"
        case $layer:$reached in
        common:ui | detect:ui | config:ui) breach "$file" "$line" "the core includes the dialog layer" "$hit" ;;
        common:res | detect:res | config:res) breach "$file" "$line" "the core includes the resources" "$hit" ;;
        detect:config) breach "$file" "$line" "detect/ includes config/" "$hit" ;;
        common:tests | common:tools | common:bench | common:fuzz | detect:tests | detect:tools | detect:bench | \
            detect:fuzz | config:tests | config:tools | config:bench | config:fuzz | ui:tests | ui:tools | \
            ui:bench | ui:fuzz | res:tests | res:tools | res:bench | res:fuzz)
            breach "$file" "$line" "the product includes the test side" "$hit" ;;
        esac
    done < <(tr '\n' '\0' <<<"$sources" | xargs -0 grep -HnE "${include}[\"<]")
}

breaches=$(check_includes)
if [ -n "$breaches" ]; then
    printf '%s\n' "$breaches"
    echo "layering: $(wc -l <<<"$breaches") breach(es)"
    exit 1
fi
echo "layering: $(wc -l <<<"$sources") sources hold to it"
