#!/usr/bin/env bash
# Installs the npm readers that the tests run (formats.npm), at the versions
# package-lock.json pins, when they are not there yet.
set -euo pipefail
cd "$(dirname "$0")"
# Debian's, unless node and npm are already there (some builds of node bring their own npm).
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    bash ../../scripts/deps.sh nodejs npm
fi
if [[ ! -d node_modules ]]; then
    npm ci --no-audit --no-fund
fi
