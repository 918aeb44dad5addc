#!/usr/bin/env bash
# Writes the Debian package's changelog from CHANGELOG.md: one entry per "## VERSION (DATE)"
# section, its paragraphs and "- " items as the entry's items, wrapped to Debian's width.
# The newest section must be the version being packaged.
#
# usage: debian-changelog.sh CHANGELOG.md VERSION "NAME <ADDRESS>" OUTPUT
set -euo pipefail
[ $# -eq 4 ] || { echo "usage: debian-changelog.sh CHANGELOG.md VERSION MAINTAINER OUTPUT" >&2; exit 2; }
source=$1 version=$2 maintainer=$3 output=$4

newest=$(sed -n 's/^## \([^ ]*\) .*/\1/p' "$source" | head -n 1)
if [ "$newest" != "$version" ]; then
    echo "debian-changelog: the newest entry of $source is '$newest', not $version" >&2
    exit 1
fi

LC_ALL=C awk -v maintainer="$maintainer" '
    function flush(   words, n, i, line, lead) {
        if (item == "")
            return
        gsub(/`|\*\*/, "", item)
        n = split(item, words, " ")
        line = ""
        lead = "  * "
        for (i = 1; i <= n; i++) {
            if (line != "" && length(lead line " " words[i]) > 78) {
                print lead line
                line = ""
                lead = "    "
            }
            line = line == "" ? words[i] : line " " words[i]
        }
        print lead line
        item = ""
    }
    function close_entry() {
        flush()
        if (date != "")
            printf "\n -- %s  %s\n", maintainer, date
    }
    /^## / {
        close_entry()
        if (!match($0, /\([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]\)/)) {
            print "debian-changelog: no (YYYY-MM-DD) in: " $0 > "/dev/stderr"
            exit 1
        }
        day = substr($0, RSTART + 1, RLENGTH - 2)
        command = "date -u -R -d " day
        command | getline date
        close(command)
        if (entries++)
            print ""
        printf "lesamo (%s) unstable; urgency=medium\n\n", $2
        next
    }
    date == "" { next }                           # the title above the first version
    /^$/ { flush(); next }
    /^- / { flush(); item = substr($0, 3); next }
    { sub(/^ +/, ""); item = item == "" ? $0 : item " " $0 }
    END { close_entry() }
' "$source" >"$output.tmp"
mv "$output.tmp" "$output"
