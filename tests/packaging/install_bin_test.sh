#!/bin/sh
# Configures the game with -DCMAKE_INSTALL_BINDIR=bin given on the command
# line, as the README says, and without GoogleTest, as make run may; installs
# with those rules what the build tree given has built, under a temporary
# prefix; and checks that the game lands in bin/ and that the path compiled
# into it leads from there to its sixteen pictures. Configuring is all it
# costs: the built game and pictures stand in for the ones this configuration
# would build, which differ only in that path.
#
#   install_bin_test.sh SOURCE_DIR BUILD_DIR
set -eu
source=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# From a folder of its own, where a relative value made absolute would point.
cd "$work"
cmake -S "$source" -B tree -DCMAKE_INSTALL_BINDIR=bin -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON >configure.log 2>&1 ||
    { cat configure.log >&2; fail "configuring without GoogleTest"; }
bindir=$(sed -n 's/^CMAKE_INSTALL_BINDIR:[A-Z]*=//p' tree/CMakeCache.txt)
[ "$bindir" = bin ] || fail "CMAKE_INSTALL_BINDIR is '$bindir', not bin"

# The path to the pictures, as the compiler is given it for the picture folder.
frombin=$(sed -n 's/.*-DZENTRIK_PICTURES_FROM_BINDIR=[\\"]*\([^\\"]*\).*/\1/p' tree/compile_commands.json | sort -u)
[ -n "$frombin" ] || fail "no ZENTRIK_PICTURES_FROM_BINDIR in the compile commands"
[ "$(echo "$frombin" | wc -l)" = 1 ] || fail "ZENTRIK_PICTURES_FROM_BINDIR differs between files: $frombin"

cp "$build/zentrik" tree/
mkdir -p tree/pictures
cp -R "$build/pictures/." tree/pictures/
cp "$build"/packaging/*.gz tree/packaging/
cmake --install tree --prefix "$work/prefix" >install.log 2>&1 || { cat install.log >&2; fail "installing"; }
[ ! -e bin ] || fail "installed into the current folder"
[ -x prefix/bin/zentrik ] || fail "no prefix/bin/zentrik"

[ -d "prefix/bin/$frombin" ] || fail "no folder prefix/bin/$frombin"
found=$(cd "prefix/bin/$frombin" && ls -- *.gif | wc -l)
[ "$found" = 16 ] || fail "prefix/bin/$frombin holds $found pictures, not 16"
for picture in "$build"/pictures/*.gif; do
    cmp -s "$picture" "prefix/bin/$frombin/${picture##*/}" || fail "${picture##*/} missing or different"
done
echo "prefix/bin/zentrik finds its 16 pictures in prefix/bin/$frombin"
