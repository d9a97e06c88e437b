#!/usr/bin/env bash
# Starts the interactive program.
set -euo pipefail
exec "$1"
