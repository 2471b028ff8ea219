#!/bin/sh
# Makes FOLDER holding vel1.tmp .. velffff.tmp: every name GetTempFileNameW
# could give for the prefix "vel". Made natively, as 65,535 files created
# through Wine would take minutes.
set -e
rm -rf "$1"
mkdir -p "$1"
cd "$1"
awk 'BEGIN { for (i = 1; i < 65536; i++) { f = sprintf("vel%x.tmp", i); printf "" > f; close(f) } }'
