"""What the test web servers share: the served document and a quiet handler that answers whole."""
import os
from http.server import BaseHTTPRequestHandler


def read_document(root):
    with open(os.path.join(root, "doc.vrn"), "rb") as f:
        return f.read()


class QuietHandler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def answer(self, status, body=b"", headers=()):
        self.send_response(status)
        for k, v in headers:
            self.send_header(k, v)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
