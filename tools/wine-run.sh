#!/usr/bin/env bash
# Runs one Windows program under the project's private Wine prefix; exit code is the program's.
source "$(dirname "$0")/wine-env.sh"
exec wine "$@"
