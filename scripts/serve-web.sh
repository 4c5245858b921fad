#!/usr/bin/env bash
# Serves the browser build (dist/web, or the folder given) on 127.0.0.1 and
# prints the address to open. The page is served cross-origin isolated
# (COOP/COEP headers): the program's threads share memory, which browsers
# allow only then. Port 0 (the default) lets the system pick a free one.
set -euo pipefail
cd "$(dirname "$0")/.."
folder=${1:-dist/web}
port=${2:-${ZARNIC_WEB_PORT:-0}}
[ -f "$folder/index.html" ] || { echo "no $folder/index.html: run scripts/build-web.sh first" >&2; exit 1; }
exec python3 -u - "$folder" "$port" <<'PY'
import functools, http.server, sys

class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.wasm': 'application/wasm', '.js': 'text/javascript', '.data': 'application/octet-stream'}

    def end_headers(self):
        self.send_header('Cross-Origin-Opener-Policy', 'same-origin')
        self.send_header('Cross-Origin-Embedder-Policy', 'require-corp')
        self.send_header('Cache-Control', 'no-store')
        super().end_headers()

    def log_message(self, *args):
        pass

server = http.server.ThreadingHTTPServer(('127.0.0.1', int(sys.argv[2])),
                                         functools.partial(Handler, directory=sys.argv[1]))
print(f'serving {sys.argv[1]} at http://127.0.0.1:{server.server_address[1]}/', flush=True)
server.serve_forever()
PY
