#!/bin/sh
# The version a build calls itself (packaging/buildversion.cmake), on a
# made-up project 1.2.3: a source archive says its .tarball-version; a commit
# of no release says the release and the commit, later ones sorting after it
# and before the next release in Debian's order; a tag or NEWS.md's first
# section names the release.
#
#   build_version_test.sh BUILDVERSION_CMAKE
set -eu
if ! command -v git >/dev/null || ! command -v dpkg >/dev/null; then
    echo "git and dpkg are needed: skipped"
    exit 77
fi
script=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
unset GIT_DIR GIT_WORK_TREE
mkdir -p "$work/src/packaging"
cp "$script" "$work/src/packaging/"
cd "$work/src"
version() { cmake -DVERSION=1.2.3 -P packaging/buildversion.cmake; }
expect() { found=$(version); [ "$found" = "$1" ] || fail "$2: '$found', not '$1'"; }
commit() { git -c user.name=Test -c user.email=test@example.invalid -c commit.gpgsign=false commit -q --allow-empty -am "$1"; }

printf '# What changed\n\n## Unreleased\n\n- More.\n\n## 1.2.3\n' >NEWS.md
echo 1.2.3+git.7.0123456789ab >.tarball-version
expect 1.2.3+git.7.0123456789ab "a source archive"
rm .tarball-version

git init -q .
git add NEWS.md packaging
for i in 1 2; do commit "commit $i"; done
snapshot=$(version)
expect "1.2.3+git.2.$(git rev-parse HEAD | cut -c1-12)" "two commits after the release"
for i in 3 4 5 6 7 8 9 10; do commit "commit $i"; done
later=$(version)
for pair in "1.2.3 $snapshot" "$snapshot $later" "$later 1.2.4"; do
    # shellcheck disable=SC2086
    dpkg --compare-versions ${pair% *} lt ${pair#* } || fail "${pair% *} does not sort before ${pair#* }"
done
git tag v1.2.3
expect 1.2.3 "a commit tagged v1.2.3"
git tag -d v1.2.3 >/dev/null
sed -i '/Unreleased/,+3d' NEWS.md
commit release
expect 1.2.3 "NEWS.md's first section named 1.2.3"
