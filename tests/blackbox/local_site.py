"""Pages on 127.0.0.1 for the black-box tests: what each path answers is set by the test while
the program runs, and every request is kept with its headers."""
import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


class LocalSite:
    """`respond(path, headers)` gives (status, extra headers, HTML body) for a request; by
    default the pages set with set() answer, others 404."""

    def __init__(self, respond=None):
        self.pages = {}
        self.requests = []  # (path, headers)
        self.lock = threading.Lock()
        self.respond = respond or self.page
        site = self

        class Handler(BaseHTTPRequestHandler):
            def do_GET(self):
                with site.lock:
                    site.requests.append((self.path, dict(self.headers)))
                status, headers, body = site.respond(self.path, self.headers)
                data = ("<html><head><meta charset='utf-8'></head><body>%s</body></html>"
                        % body).encode("utf-8")
                self.send_response(status)
                for name, value in headers.items():
                    self.send_header(name, value)
                self.send_header("Content-Type", "text/html; charset=utf-8")
                self.send_header("Content-Length", str(len(data)))
                self.send_header("Cache-Control", "no-store")
                self.end_headers()
                self.wfile.write(data)

            def log_message(self, *args):
                pass

        self.server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def url(self, path):
        return "http://127.0.0.1:%d%s" % (self.server.server_address[1], path)

    def set(self, path, body, status=200):
        with self.lock:
            self.pages[path] = (status, body)

    def page(self, path, headers):
        with self.lock:
            status, body = self.pages.get(path, (404, "none"))
        return status, {}, body

    def count(self, path):
        with self.lock:
            return sum(1 for p, _ in self.requests if p == path)

    def header_of(self, path, name):
        """The header `name` of the first request for `path` ("" without it), None before one."""
        with self.lock:
            return next((h.get(name, "") for p, h in self.requests if p == path), None)

    def close(self):
        self.server.shutdown()
