#!/usr/bin/env python3
"""An RFC 3161 timestamp server on the loopback, for the signing check alone
(no public one is reachable from CI): each query is answered by `openssl ts
-reply` with the throwaway authority that CONFIG names.

    timestamp-server.py CONFIG PORT_FILE

Listens on a free port of 127.0.0.1, writes the port to PORT_FILE once it
listens, and serves until it is ended."""
import http.server
import os
import subprocess
import sys
import tempfile

config, port_file = sys.argv[1], sys.argv[2]


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        with tempfile.NamedTemporaryFile() as q, tempfile.NamedTemporaryFile() as r:
            q.write(query)
            q.flush()
            done = subprocess.run(["openssl", "ts", "-reply", "-config", config,
                                   "-queryfile", q.name, "-out", r.name],
                                  capture_output=True)
            reply = r.read()
        if done.returncode != 0 or not reply:
            sys.stderr.write(done.stderr.decode(errors="replace"))
            self.send_error(500, "openssl ts -reply failed")
            return
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
with open(port_file + ".part", "w") as f:
    f.write(str(server.server_address[1]))
os.rename(port_file + ".part", port_file)
server.serve_forever()
