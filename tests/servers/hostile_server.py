#!/usr/bin/env python3
"""A web server that answers against the rules, for the web client's Windows tests, on loopback.

  hostile_server.py ROOT PORT

Bodies compressed though the request asked for them as stored, a page that is no document under
a document's name, an empty 200 answer, a 100 KB header line, a 404 with a page of markup, a
redirection to an address holding a user name and password, an HTTP/1.1 answer without a length
on a connection it keeps open, one that stops half-way, a document whose jump names any path it
is given (GET /launder.vrn?to=PATH), and a held connection whose closing it reports (GET /held
says "open", "shut down" or "closed").
"""
import gzip
import sys
import time
import urllib.parse
from http.server import ThreadingHTTPServer

from http_common import QuietHandler, read_document

ROOT, PORT = sys.argv[1], int(sys.argv[2])
held = {"state": "none"}


def document():
    return read_document(ROOT)


class Handler(QuietHandler):
    def do_GET(self):
        p = self.path
        if p == "/doc.vrn":
            return self.answer(200, document())
        if p == "/gzip.vrn":
            return self.answer(200, gzip.compress(document()), [("Content-Encoding", "gzip")])
        if p == "/te-gzip.vrn":
            body = gzip.compress(document())
            self.send_response(200)
            self.send_header("Transfer-Encoding", "gzip, chunked")
            self.end_headers()
            self.wfile.write(b"%x\r\n%s\r\n0\r\n\r\n" % (len(body), body))
            return
        if p == "/html.vrn":
            return self.answer(200, b"<html><body><h1>Welcome</h1></body></html>", [("Content-Type", "text/html")])
        if p in ("/empty.vrn", "/empty.txt"):
            return self.answer(200, b"")
        if p == "/http11nolen.vrn":
            # The whole document, then silence on a connection left open.
            self.wfile.write(b"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n" + document())
            self.wfile.flush()
            self.connection.settimeout(30)
            try:
                self.connection.recv(1)
            except OSError:
                pass
            return
        if p == "/stall.vrn":
            # Half a document, then silence: the answer never ends.
            body = document()
            self.wfile.write(b"HTTP/1.0 200 OK\r\n\r\n" + body[: len(body) // 2])
            self.wfile.flush()
            self.connection.settimeout(30)
            try:
                self.connection.recv(1)
            except OSError:
                pass
            return
        if p.startswith("/launder.vrn?"):
            to = urllib.parse.parse_qs(urllib.parse.urlsplit(p).query).get("to", [""])[0]
            quoted = '"\\"' + to.replace("\\", "\\\\").replace('"', '\\"') + '\\""'
            doc = ('j_(1,"Reopen",1,0,0,3,6,161,20,1,0,0,%s)\r\n'
                   'j_(2,"Run",1,200,0,3,8,161,20,1,0,0,"winver.exe")\r\np_(350,20110)\r\n' % quoted)
            return self.answer(200, doc.encode("cp1252"))
        if p == "/longheader.vrn":
            self.send_response(200)
            self.send_header("X-Long", "a" * 100000)
            self.end_headers()
            return
        if p == "/missing-html.vrn":
            page = b"<!DOCTYPE html><html><head><title>404 Not Found</title></head><body>" + b"<p>gone</p>" * 200 + b"</body></html>"
            return self.answer(404, page, [("Content-Type", "text/html")])
        if p == "/redirect/userinfo.vrn":
            return self.answer(302, b"", [("Location", f"http://user:pw@127.0.0.1:{PORT}/doc.vrn")])
        if p == "/hold.vrn":
            # "closed" only when the client's socket is gone, not merely shut down: bytes sent
            # after its end of stream then meet a reset.
            held["state"] = "open"
            self.connection.settimeout(60)
            try:
                if self.connection.recv(1) != b"":
                    return
                held["state"] = "shut down"
                for _ in range(20):
                    self.connection.sendall(b"x")
                    time.sleep(0.05)
            except OSError:
                held["state"] = "closed"
            return
        if p == "/held":
            return self.answer(200, held["state"].encode())
        return self.answer(404, b"No such page here")


ThreadingHTTPServer.daemon_threads = True
ThreadingHTTPServer(("127.0.0.1", PORT), Handler).serve_forever()
