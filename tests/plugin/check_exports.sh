#!/bin/sh
# Fails unless the library exports every entry point under its undecorated name.
library="$1"
symbols=$(nm -D --defined-only "$library" | awk '{print $3}')
status=0
for name in InitTab SetNode Command SetScrollBars Close LoadSubMenu MenuUpdate DllMain \
    ModuleResourceTable; do
    if ! printf '%s\n' "$symbols" | grep -qx "$name"; then
        echo "missing export: $name"
        status=1
    fi
done
exit $status
