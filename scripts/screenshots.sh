#!/usr/bin/env bash
# Renders the README's screenshots offscreen into docs/screenshots/. Run it after changing the UI.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh vorn_screenshots
QT_QPA_PLATFORM=offscreen build/tools/screenshots/vorn_screenshots docs/screenshots
