#!/usr/bin/env bash
# The house style's static checks over one build tree: clang-tidy (.clang-tidy) and cppcheck,
# both on the compilation database of the build. Every finding fails the test.
#
# usage: static-checks.sh SOURCE_FOLDER BUILD_FOLDER
set -uo pipefail
top=${1:?usage: static-checks.sh SOURCE_FOLDER BUILD_FOLDER}
build=${2:?usage: static-checks.sh SOURCE_FOLDER BUILD_FOLDER}
database=$build/compile_commands.json
[ -f "$database" ] || { echo "static-checks: no $database (CMAKE_EXPORT_COMPILE_COMMANDS)" >&2; exit 2; }
for tool in run-clang-tidy clang-tidy cppcheck; do
    command -v "$tool" >/dev/null || { echo "static-checks: $tool is missing (scripts/install-deps.sh)" >&2; exit 2; }
done
status=0

# clang reads the sources: it keeps literals in UTF-8 (GCC's -fexec-charset=CP1252 is unknown
# to it), so the one check that proves the Windows-1252 literals is left to the compilers.
echo "== clang-tidy"
run-clang-tidy -quiet -p "$build" -j "$(nproc)" -extra-arg=-fexec-charset=UTF-8 \
    -extra-arg=-DLESAMO_STATIC_CHECKS "$top/(common|detect|config|ui|tools|tests|bench)/" \
    >"$build/clang-tidy.log" 2>&1 || status=1
sed 's/\x1b\[[0-9;]*m//g' "$build/clang-tidy.log" | grep -E '(warning|error):' | sort -u
[ "$status" = 0 ] && echo "clang-tidy: clean"

# One thread everywhere: the reentrant variants of getpw* would buy nothing. cppcheck takes about
# a second over the whole tree, clang-tidy the rest: more processes (-j) would buy nothing either.
echo "== cppcheck"
cppcheck --project="$database" --quiet --error-exitcode=1 --inline-suppr \
    --enable=warning,performance,portability --std=c++20 --library=googletest --library=posix \
    --suppress=missingIncludeSystem --suppress="*:$build/*" --suppress="*:/usr/*" \
    --suppress=getpwuidCalled --suppress=getpwnamCalled \
    -D__GNUC__ -DLESAMO_STATIC_CHECKS 2>&1 || status=1
[ "$status" = 0 ] && echo "cppcheck: clean"
exit "$status"
