#!/usr/bin/env bash
# Sets everything up, builds, and runs the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
exec build/apps/talvix5/talvix5 --version
