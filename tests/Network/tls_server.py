#!/usr/bin/python3
"""HTTPS on loopback for the TLS test: one port per certificate named on the command line
(DIR/NAME.pem with DIR/NAME.key). A POST is answered 200 with "stored N" (N body bytes), a
GET with a small PNG. Prints "NAME PORT" per certificate, then serves until killed."""
import http.server
import os
import ssl
import sys
import threading

PNG = bytes.fromhex(
    "89504e470d0a1a0a0000000d4948445200000001000000010806000000"
    "1f15c4890000000d4944415478da63f8cfc0f01f0005000201e52ba6b40000000049454e44ae426082")


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def reply(self, body, content_type):
        self.send_response(200)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_POST(self):
        size = int(self.headers.get("Content-Length", "0"))
        self.rfile.read(size)
        self.reply(b"stored %d" % size, "text/plain")

    def do_GET(self):
        self.reply(PNG, "image/png")

    def log_message(self, *args):
        pass


def main(folder, names):
    for name in names:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(os.path.join(folder, name + ".pem"), os.path.join(folder, name + ".key"))
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        # The handshake runs in the request's thread, so a client that gives up on a
        # certificate cannot stall the others.
        server.socket = context.wrap_socket(server.socket, server_side=True, do_handshake_on_connect=False)
        print(name, server.server_address[1], flush=True)
        threading.Thread(target=server.serve_forever, daemon=True).start()
    threading.Event().wait()


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2:])
