#!/usr/bin/env bash
# Lists the XML files this machine ships that xmllint accepts as well-formed:
# fontconfig's, shared-mime-info's, D-Bus's and polkit's, SVG icons and the
# other *.xml files of /usr/share, one path a line, into LIST. Files over
# 16 MB and links are left out.
#   tools/list-system-xml.sh LIST
set -euo pipefail
list=$1
readonly MostFiles=3000

: >"$list"
find /usr/share /etc/fonts -type f -size -16M \
    \( -name '*.xml' -o -name '*.svg' -o -name '*.policy' -o -path '/etc/fonts/*.conf' \
    -o -path '/usr/share/dbus-1/*.conf' -o -path '/usr/share/fontconfig/*.conf' \) 2>/dev/null |
    sort | head -n "$MostFiles" |
    while IFS= read -r file; do
        if xmllint --noout --nonet "$file" >/dev/null 2>&1; then
            echo "$file" >>"$list"
        fi
    done
echo "$(wc -l <"$list") files that xmllint accepts listed in $list"
