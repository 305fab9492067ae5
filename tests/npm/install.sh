#!/usr/bin/env bash
# Installs the npm readers that the tests run (formats.npm), at the versions
# package-lock.json pins, when they are not there yet.
set -euo pipefail
cd "$(dirname "$0")"
bash ../../scripts/deps.sh nodejs npm
if [[ ! -d node_modules ]]; then
    npm ci --no-audit --no-fund
fi
