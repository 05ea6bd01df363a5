#!/bin/sh
# node_setup.sh DIR: bwip-js and playwright-core from npm into DIR (once;
# afterwards the tests run offline). playwright-core downloads no browser:
# the page test drives Debian's /usr/bin/chromium.
set -e
here=$(cd "$(dirname "$0")" && pwd)
dir=$1
if [ -f "$dir/node_modules/bwip-js/examples/server.js" ] && [ -d "$dir/node_modules/playwright-core" ] &&
   cmp -s "$here/package.json" "$dir/package.json"; then
  exit 0
fi
mkdir -p "$dir"
cp "$here/package.json" "$dir/package.json"
cd "$dir"
npm install --no-audit --no-fund --no-package-lock --loglevel=error
