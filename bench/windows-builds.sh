# Shared by the Windows benchmarks (sourced): their command line and the loop over the Windows
# builds, each run under its own Wine loader.
#
# Takes [--runs N] [--native NATIVE_BUILD_DIR] [WINDOWS_BUILD_DIR...] (defaults: build/native,
# and build/win64 and build/win32); sets top, runs (the --runs option to pass on) and native.
# for_each_windows_build EXE FUNCTION: for every build whose EXE (relative to the build folder)
# exists, calls FUNCTION DIR ARCH (win64 or win32); a win32 build is skipped with a line saying
# why where no 32-bit code runs.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=() windows_dirs=() native=$top/build/native
while [ $# -gt 0 ]; do
    case $1 in
        --runs) runs=(--runs "$2"); shift 2 ;;
        --native) native=$2; shift 2 ;;
        *) windows_dirs+=("$1"); shift ;;
    esac
done
[ ${#windows_dirs[@]} -gt 0 ] || windows_dirs=("$top/build/win64" "$top/build/win32")

for_each_windows_build() {
    local exe=$1 function=$2 dir arch why
    for dir in "${windows_dirs[@]}"; do
        [ -f "$dir/$exe" ] || { echo "$(basename "$0"): $dir/$exe not built" >&2; return 1; }
        case $(file -b "$dir/$exe") in
            PE32+*) arch=win64 ;;
            PE32*) arch=win32 ;;
            *) echo "$(basename "$0"): $dir/$exe is no Windows program" >&2; return 1 ;;
        esac
        if [ "$arch" = win32 ] && ! why=$("$top/scripts/runs-32bit.sh" --why); then
            echo "$arch  skipped: $why"
            continue
        fi
        "$function" "$dir" "$arch" | sed "s/^/$arch  /"
    done
}
