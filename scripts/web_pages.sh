# Sourced by the browser build's scripts, from the repository root: copies of
# the page with a data folder of their own, and pages served on free ports.

# Copies the built page (dist/web: index.html and each program's .js, .wasm
# and .worker.js) to the folder $1, without its data package.
copy_page() {
  mkdir -p "$1"
  cp dist/web/index.html dist/web/zarnic*.js dist/web/zarnic*.wasm "$1/"
}

# Packs the data folder $1 for the page in the folder $2 (data.data and the
# data.js that loads it), as scripts/build-web.sh packs data/.
pack_data() {
  python3 /usr/share/emscripten/tools/file_packager.py "$2/data.data" --preload "$1@data" \
    --js-output="$2/data.js" >/dev/null 2>&1
}

# The servers serve started; all of them are stopped when the script exits.
servers=()
stop_servers() { for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap stop_servers EXIT

# Starts scripts/serve-web.sh for the folder $1 on a free port in the
# background and sets `address` to the page's address; ends the script when
# the server does not say where it listens within ten seconds.
serve() {
  local log
  log=$(mktemp)
  scripts/serve-web.sh "$1" 0 >"$log" 2>&1 &
  servers+=($!)
  address=""
  for _ in $(seq 100); do
    address=$(sed -n 's/.* at \(http:[^ ]*\)$/\1/p' "$log")
    [ -n "$address" ] && break
    sleep 0.1
  done
  rm -f "$log"
  [ -n "$address" ] || { echo "$(basename "$0"): the server for $1 did not start" >&2; exit 1; }
}
