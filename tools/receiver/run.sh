#!/usr/bin/env bash
# Serves the upload receiver with PHP's built-in server on 127.0.0.1.
# Usage: tools/receiver/run.sh PORT [STORE_DIR]   (runs in the foreground)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
port=${1:?usage: run.sh PORT [STORE_DIR]}
[ $# -ge 2 ] && export SNAPFERRY_STORE=$2
command -v php >/dev/null || { echo "run.sh: php not found (Debian package php-cli)" >&2; exit 1; }
# Photos of several MB: PHP's own limits are 2 MB per file and 8 MB per request.
exec php -d upload_max_filesize=256M -d post_max_size=256M -d memory_limit=512M \
  -d variables_order=EGPCS -S "127.0.0.1:$port" "$here/upload.php"
