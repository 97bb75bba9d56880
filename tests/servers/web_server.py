#!/usr/bin/env python3
"""Web servers for the web client's Windows tests, on loopback only.

  web_server.py ROOT HANDLER_PORT CAPTURE_PORT

HANDLER_PORT answers the hard cases: 401 with Basic credentials, redirections (absolute,
relative, chains, loops, leading out of the host), an answer that never comes, one that comes
late (/delay/SECONDS/...), a truncated one, LF-only headers, a 100 MB body, a 404 and a 407. CAPTURE_PORT keeps the bytes of the last
request it got (GET /captured on HANDLER_PORT gives them back) and answers with the document.
Plain files come from ROOT through python's own http.server, started beside this by web.sh.
"""
import base64
import socket
import sys
import threading
import time
from http.server import ThreadingHTTPServer

from http_common import QuietHandler, read_document

ROOT, PORT, CAPTURE_PORT = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
USER, PASSWORD = "alice", "secret"
captured = {"bytes": b""}


def document():
    return read_document(ROOT)


class Handler(QuietHandler):
    def do_GET(self):
        p = self.path
        if p.startswith("/auth/"):
            want = "Basic " + base64.b64encode(f"{USER}:{PASSWORD}".encode()).decode()
            if self.headers.get("Authorization") == want:
                return self.answer(200, document())
            return self.answer(401, b"Authorization required", [("WWW-Authenticate", 'Basic realm="vorn"')])
        if p == "/redirect/abs.vrn":
            return self.answer(302, b"", [("Location", f"http://127.0.0.1:{PORT}/doc.vrn")])
        if p == "/redirect/dir/rel.vrn":
            return self.answer(301, b"", [("Location", "../../doc.vrn")])
        if p == "/redirect/loop.vrn":
            return self.answer(302, b"", [("Location", "/redirect/loop.vrn")])
        if p.startswith("/redirect/chain/"):
            n = int(p.rsplit("/", 1)[1].split(".")[0])
            where = "/doc.vrn" if n <= 1 else f"/redirect/chain/{n - 1}.vrn"
            return self.answer(302, b"", [("Location", where)])
        if p == "/redirect/escape.vrn":
            return self.answer(302, b"", [("Location", "../../..\\..\\x.exe")])
        if p == "/redirect/https.vrn":
            return self.answer(302, b"", [("Location", "https://127.0.0.1/doc.vrn")])
        if p == "/doc.vrn" or p.startswith("/weird/"):
            return self.answer(200, document())
        if p.endswith("x.exe"):
            return self.answer(200, b"MZ not a program")
        if p.startswith("/delay/"):
            time.sleep(float(p.split("/")[2]))
            return self.answer(200, document())
        if p == "/silent.vrn":
            time.sleep(30)
            return
        if p == "/truncated.vrn":
            body = document()
            self.send_response(200)
            self.send_header("Content-Length", str(len(body) + 1000))
            self.end_headers()
            self.wfile.write(body)
            self.wfile.flush()
            self.close_connection = True
            return
        if p == "/lf.vrn":
            body = document()
            self.wfile.write(b"HTTP/1.0 200 OK\nContent-Type: text/plain\nContent-Length: %d\n\n" % len(body) + body)
            return
        if p in ("/big.vrn", "/endless.vrn"):
            self.send_response(200)
            if p == "/big.vrn":
                self.send_header("Content-Length", str(100 * 1024 * 1024))
            self.end_headers()
            chunk = b"x" * 65536
            try:
                for _ in range(1600):
                    self.wfile.write(chunk)
            except OSError:
                pass
            return
        if p == "/proxyauth.vrn":
            return self.answer(407, b"Proxy login needed", [("Proxy-Authenticate", 'Basic realm="proxy"')])
        if p == "/captured":
            return self.answer(200, captured["bytes"])
        return self.answer(404, b"No such page here")


def capture_server():
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind(("127.0.0.1", CAPTURE_PORT))
    s.listen(8)
    while True:
        c, _ = s.accept()
        c.settimeout(10)
        data = b""
        try:
            while b"\r\n\r\n" not in data and b"\n\n" not in data and len(data) < 65536:
                part = c.recv(4096)
                if not part:
                    break
                data += part
            captured["bytes"] = data
            body = document()
            c.sendall(b"HTTP/1.0 200 OK\r\nContent-Length: %d\r\n\r\n" % len(body) + body)
        except OSError:
            pass
        c.close()


threading.Thread(target=capture_server, daemon=True).start()
ThreadingHTTPServer.daemon_threads = True
ThreadingHTTPServer(("127.0.0.1", PORT), Handler).serve_forever()
