#!/bin/bash
# Fetches Debian's libmikmod source package once and prints where it lies.
#
#   tools/libmikmod_source.sh DIR
#
# Unpacks the source with `apt-get source` into DIR (apt checks the archive's
# signatures as usual) and prints the unpacked folder on standard output;
# apt's own output goes to standard error. A later call finds the folder and
# fetches nothing. The system's apt configuration is left alone: apt reads a
# temporary list of deb-src entries made from the host's own deb entries, and
# keeps its package lists in DIR. Fails where the archive does not serve the
# source package.
set -euo pipefail

dir=$(mkdir -p "$1" && cd "$1" && pwd)
unpacked() { find "$dir/source" -mindepth 1 -maxdepth 1 -type d -name 'libmikmod-*' 2>/dev/null | head -n1; }
# The marker is written last, so an interrupted fetch is started again.
if [[ -f $dir/fetched ]]; then
    unpacked
    exit 0
fi

apt_dir=$dir/apt
rm -rf "$apt_dir"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/sources.list.d"

# deb822 files: every deb entry also offered as deb-src; one-line lists: each
# deb line repeated as deb-src.
shopt -s nullglob
for file in /etc/apt/sources.list.d/*.sources; do
    sed -E 's/^Types:.*\bdeb\b.*/Types: deb-src/' "$file" >"$apt_dir/sources.list.d/$(basename "$file")"
done
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [[ -f $file ]] && sed -nE 's/^deb(\s)/deb-src\1/p' "$file"
done >"$apt_dir/sources.list"

apt_options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
    -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache::pkgcache=" -o "Dir::Cache::srcpkgcache=")
apt-get "${apt_options[@]}" update >&2
rm -rf "$dir/source"
mkdir -p "$dir/source"
(cd "$dir/source" && apt-get "${apt_options[@]}" source libmikmod) >&2
source_dir=$(unpacked)
[[ -n $source_dir ]] || {
    echo "libmikmod_source: no libmikmod source unpacked" >&2
    exit 1
}
touch "$dir/fetched"
echo "$source_dir"
