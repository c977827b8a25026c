#!/usr/bin/env bash
# The installed manual pages say what the programs do: quillon(1) names every script command
# docs/scripting.md lists, rmonprobe(8) every option rmonprobe --help lists, and both carry
# the version the build has (debian/changelog's).
# usage: check_manuals.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir="$1"
build="$2"
missing=()
for command in $(grep -o '^| `[a-z-]*' "$source_dir/docs/scripting.md" | cut -c4-); do
    grep -q "^\.B \"\?$command\b" "$build/packaging/quillon.1" || missing+=("quillon(1): $command")
done
for option in $("$build/bin/rmonprobe" --help | grep -o '^  -[-a-z]*'); do
    grep -q "^\.B[IR]\? $(echo "$option" | sed 's/-/\\\\-/g')\b" "$build/packaging/rmonprobe.8" ||
        missing+=("rmonprobe(8): $option")
done
version="$(dpkg-parsechangelog -l "$source_dir/debian/changelog" -S Version)"
for page in quillon.1 rmonprobe.8; do
    head -1 "$build/packaging/$page" | grep -q "\"tessaran ${version%-*}\"" ||
        missing+=("$page: the version ${version%-*}")
done
if [ ${#missing[@]} -gt 0 ]; then
    printf 'FAIL: not in the manual page: %s\n' "${missing[@]}"
    exit 1
fi
echo "ok: the manual pages name every script command and option, version ${version%-*}"
