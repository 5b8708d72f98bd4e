#!/bin/sh
# The version a build calls itself (packaging/buildversion.cmake), on a
# made-up project 1.2.3: a commit of no release says the release and the
# commit, in Debian's order; a tag or NEWS.md's first section names a
# release; a source archive says what its .tarball-version says; a folder with
# neither Git nor that file says its commit is unknown.
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
expect 1.2.3+unknown "no Git and no .tarball-version"
echo 1.2.3+git.7.0123456789ab >.tarball-version
expect 1.2.3+git.7.0123456789ab "a source archive"
rm .tarball-version

git init -q .
git add NEWS.md packaging
commit first
commit second
snapshot=$(version)
expect "1.2.3+git.2.$(git rev-parse HEAD | cut -c1-12)" "two commits after the release"
for i in 3 4 5 6 7 8 9 10; do commit "commit $i"; done
later=$(version)
dpkg --compare-versions 1.2.3 lt "$snapshot" || fail "$snapshot is not newer than 1.2.3"
dpkg --compare-versions "$snapshot" lt "$later" || fail "$later is not newer than $snapshot"
dpkg --compare-versions "$later" lt 1.2.4 || fail "$later is not older than 1.2.4"
git tag v1.2.3
expect 1.2.3 "a commit tagged v1.2.3"
git tag -d v1.2.3 >/dev/null
sed -i '/Unreleased/,+3d' NEWS.md
commit release
expect 1.2.3 "NEWS.md's first section named 1.2.3"
echo "$snapshot < $later, releases 1.2.3"
