#!/usr/bin/env bash
# layering.sh catches every breach of the layering: a copy of the sources must hold to it, and
# then each breach planted into that copy, one at a time, must fail it with the breach named.
#
# usage: layering-planted.sh SOURCE_FOLDER
set -uo pipefail
source_dir=${1:?usage: layering-planted.sh SOURCE_FOLDER}
layering=$(dirname "$0")/layering.sh

copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
(cd "$source_dir" && find . -path ./build -prune -o -path ./.git -prune -o \
    -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print0 | xargs -0 cp --parents -t "$copy")
bash "$layering" "$copy" >/dev/null || { echo "the copy of $source_dir does not hold to the layering" >&2; exit 1; }

failed=0
# plant FILE INCLUDE MESSAGE: FILE (new in the copy) with the one include must fail the check
# with MESSAGE for that file and line.
plant() {
    local file=$1 line=$2 message=$3 out status
    mkdir -p "$copy/$(dirname "$file")"
    printf '// planted\n%s\n' "$line" >"$copy/$file"
    out=$(bash "$layering" "$copy")
    status=$?
    rm "$copy/$file"
    if [ $status -eq 1 ] && grep -qxF "$file:2: $message: $line" <<<"$out"; then
        echo "caught: $file:2: $message: $line"
    else
        echo "MISSED (status $status): $file: $line" >&2
        printf '%s\n' "$out" >&2
        failed=1
    fi
}

plant detect/Planted.cpp '#include "../ui/Framework.h"' "the core includes the dialog layer"
plant config/Planted.cpp '#include "ui/ReaderScanDlg.h"' "the core includes the dialog layer"
plant common/Planted.h '#include <ui/Framework.h>' "the core includes the dialog layer"
plant config/Planted.cpp '#include "res/resource.h"' "the core includes the resources"
plant common/Planted.cpp '#include "../res/Texts.h"' "the core includes the resources"
plant detect/Planted.cpp '#include "config/HbciMerge.h"' "detect/ includes config/"
plant detect/Planted.h '#include "../config/TextFile.h"' "detect/ includes config/"
plant ui/Planted.cpp '#include "tests/support/FakeFramework.h"' "the product includes the test side"
plant detect/Planted.cpp '#include <termios.h>' "a platform header outside a platform file"
plant ui/Planted.cpp '#include <windows.h>' "a platform header outside a platform file"
plant tests/ui/Planted.cpp '#include <curses.h>' "a platform header outside a platform file"
plant config/Planted.cpp '#include <sys/stat.h>' "a platform header outside a platform file"
exit $failed
