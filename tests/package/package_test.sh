#!/usr/bin/env bash
# The install puts down the binary, the manual page, the completions and the
# documents where each belongs, and the uninstall takes them away again; the
# Debian package holds the same, its binary runs, its version is the one
# --version, the changelog and the manual tell, each shell finds its
# completion where the package puts it, and lintian finds no error.
# Usage: package_test.sh BUILD_DIR
set -u
build=$(realpath "$1")
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
common="bin/quorvane share/man/man1/quorvane.1.gz share/bash-completion/completions/quorvane
share/fish/vendor_completions.d/quorvane.fish share/doc/quorvane/copyright share/doc/quorvane/changelog.gz"

cmake --install "$build" --prefix "$work/prefix" >/dev/null || fail "the install failed"
for f in $common share/zsh/site-functions/_quorvane; do
    [ -f "$work/prefix/$f" ] || fail "the install did not put down $f"
done
cmake --build "$build" --target uninstall >/dev/null || fail "the uninstall failed"
[ -z "$(find "$work/prefix" -type f)" ] || fail "the uninstall left $(find "$work/prefix" -type f | head -1)"

if ! command -v dpkg-deb >/dev/null; then
    echo "dpkg-deb is not installed: the Debian package was NOT built"
    echo "$failures failures"
    [ $failures = 0 ]
    exit
fi
(cd "$work" && cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >/dev/null) || fail "cpack failed"
deb=$(ls "$work"/quorvane_*_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || fail "no quorvane_VERSION_ARCH.deb was made"
listed=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for f in $common; do grep -qx "./usr/$f" <<<"$listed" || fail "the package lacks usr/$f"; done
for lib in libc6 libedit2 libsodium23; do
    dpkg-deb -f "$deb" Depends | grep -q $lib || fail "the package does not depend on $lib"
done
root=$work/root
dpkg-deb -x "$deb" "$root"

# One version everywhere: the package's, the binary's, the changelog's
# newest entry and the manual's.
version=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$deb")" = "quorvane_${version}_$(dpkg-deb -f "$deb" Architecture).deb" ] || fail "$deb is misnamed"
"$root/usr/bin/quorvane" --version | grep -q '^License MIT' || fail "the packaged binary does not run"
[ "$("$root/usr/bin/quorvane" --version | head -1)" = "quorvane $version" ] || fail "--version is not $version"
zcat "$root/usr/share/doc/quorvane/changelog.gz" | head -1 | grep -qF "quorvane ($version)" ||
    fail "the changelog's newest entry is not $version"
zcat "$root/usr/share/man/man1/quorvane.1.gz" | head -1 | grep -qF "\"Quorvane $version\"" ||
    fail "the manual is not of $version"

# Each shell finds the completion on its own default search path, that
# path laid under the package's root and searched first: the file it loads
# must be the package's.
rooted() { sed "s|^/|$root/|"; }
mkdir "$work/home" && export HOME=$work/home
if command -v zsh >/dev/null; then
    got=$(zsh -fc 'print -l $fpath' | rooted | zsh -fc 'fpath=(${(f)"$(cat)"} $fpath); autoload -U compinit
        compinit -u -D; [[ -n $_comps[quorvane] ]] && autoload +X $_comps[quorvane] && whence -v $_comps[quorvane]' 2>&1)
    [[ $got == *" from $root/"* ]] || fail "zsh does not find the package's completion on its fpath: $got"
else
    echo "zsh is not installed: its completion's place was NOT checked"
fi
loader=/usr/share/bash-completion/bash_completion
if [ -f $loader ]; then
    got=$(XDG_DATA_DIRS=$(printf '%s\n' /usr/local/share /usr/share | rooted | paste -sd:) \
        bash --norc --noprofile -c "source $loader; shopt -s extdebug; __load_completion quorvane &&
        declare -F \$(complete -p quorvane | sed 's/.*-F \\([^ ]*\\) .*/\\1/')" 2>&1)
    [[ $got == *" $root/"* ]] || fail "bash-completion does not find the package's completion: $got"
else
    echo "bash-completion is not installed: bash's completion's place was NOT checked"
fi
if command -v fish >/dev/null; then
    got=$(fish -c 'string join \n -- $fish_complete_path' | rooted |
        PATH=$root/usr/bin:$PATH fish -c 'set fish_complete_path (cat); complete -C "quorvane sy"')
    [ "${got%%$'\t'*}" = sync ] || fail "fish does not find the package's completion: $got"
else
    echo "fish is not installed: its completion's place was NOT checked"
fi

if command -v lintian >/dev/null; then
    lintian "$deb" 2>/dev/null | grep '^E:' && fail "lintian reports errors"
else
    echo "lintian is not installed: the package was NOT checked by it"
fi
echo "$failures failures"
[ $failures = 0 ]
