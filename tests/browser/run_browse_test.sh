#!/usr/bin/env bash
# Runs the browse page's browser test against a real `zenthor browse` on a copy of the
# sample tree with a model that fails to import and one whose name is markup.
#   run_browse_test.sh ZENTHOR SAMPLE_CONTENT_DIR SCREENSHOT.png
set -euo pipefail
zenthor=$1
samples=$2
screenshot=$3
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
server=""
stop() {
  if [ -n "$server" ]; then
    kill -INT "$server" 2>/dev/null || true
    wait "$server" || true
  fi
  rm -rf "$work"
}
trap stop EXIT

cp -r "$samples" "$work/content"
printf 'not a model' > "$work/content/models/broken.model"
cp "$work/content/models/sample.model" "$work/content/models/<img src=x onerror=alert(1)>.model"

"$zenthor" browse "$work/content" --port 0 --cache-dir "$work/cache" >"$work/server.log" 2>&1 &
server=$!
url=""
for _ in $(seq 300); do
  url=$(grep -o 'http://[^ ]*' "$work/server.log" || true)
  [ -n "$url" ] && break
  sleep 0.1
done
if [ -z "$url" ]; then
  cat "$work/server.log"
  exit 1
fi
cd "$here/../.."
node tests/browser/browse_test.mjs --url "$url" --screenshot "$screenshot"
