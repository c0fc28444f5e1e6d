#!/usr/bin/env python3
"""Local servers for the address tests of wekset-ics, on 127.0.0.1: one of
http, one of https with the certificate given, and a socket that takes
connections and never answers. Writes their ports to WORK/ports once all
listen, and each request to WORK/requests as "METHOD PATH STATUS IF-NONE-MATCH",
then serves until it is killed.

Paths: any ending in /NAME.ics where CALENDARS/NAME.ics is a file is that
file (ETag "v1", answered 304 to If-None-Match "v1"); /missing.ics is 404; /to-http.ics redirects to the
http server's /family.ics; /large.ics is 60 MB of calendar text, without a
Content-Length, /large-declared.ics the same with one; /loop.ics redirects to
itself; /portal.ics is CALENDARS/family.ics the first time, and after that a
web page sent with 200 whatever the request, as a captive portal does.

Usage: address_server.py WORK CALENDARS CERTIFICATE KEY
"""
import http.server
import os
import socket
import ssl
import sys
import threading

work, calendars, certificate, key = sys.argv[1:5]
LARGE = 60 * 1000 * 1000
LOG = threading.Lock()
ports = {}
asked = set()


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def note(self, status):
        with LOG, open(f"{work}/requests", "a", encoding="utf-8") as log:
            tag = self.headers.get("If-None-Match", "-")
            log.write(f"{self.command} {self.path} {status} {tag}\n")

    def answer(self, status, headers=(), body=b""):
        self.note(status)
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def large(self, declared):
        self.note(200)
        self.send_response(200)
        if declared:
            self.send_header("Content-Length", str(LARGE))
        self.end_headers()
        block = b"X-FILLER:" + b"x" * ((1 << 20) - 11) + b"\r\n"
        sent = 0
        try:
            while sent < LARGE:
                self.wfile.write(block)
                sent += len(block)
        except OSError:
            pass

    def do_GET(self):
        path = self.path.split("?")[0]
        calendar = os.path.join(calendars, os.path.basename(path))
        if path == "/portal.ics":
            if path in asked:
                self.answer(200, [("Content-Type", "text/html")], b"<html>Log in</html>\n")
                return
            asked.add(path)
            calendar = os.path.join(calendars, "family.ics")
        if path.endswith(".ics") and os.path.isfile(calendar):
            if self.headers.get("If-None-Match") == '"v1"':
                self.answer(304, [("ETag", '"v1"')])
                return
            with open(calendar, "rb") as calendar_file:
                body = calendar_file.read()
            self.answer(200, [("ETag", '"v1"'),
                              ("Last-Modified", "Mon, 04 Jan 2027 08:00:00 GMT"),
                              ("Content-Type", "text/calendar"),
                              ("Content-Length", str(len(body)))], body)
        elif path == "/to-http.ics":
            location = f"http://127.0.0.1:{ports['http']}/family.ics"
            self.answer(302, [("Location", location), ("Content-Length", "0")])
        elif path == "/loop.ics":
            self.answer(302, [("Location", "/loop.ics"), ("Content-Length", "0")])
        elif path in ("/large.ics", "/large-declared.ics"):
            self.large(path == "/large-declared.ics")
        else:
            self.answer(404, [("Content-Length", "0")])


def serve(name, server):
    ports[name] = server.server_address[1]
    threading.Thread(target=server.serve_forever, daemon=True).start()


serve("http", http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler))
secure = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(certificate, key)
secure.socket = context.wrap_socket(secure.socket, server_side=True)
serve("https", secure)
# The kernel completes the connections of a listening socket by itself; as
# none is ever accepted, none is answered.
silent = socket.socket()
silent.bind(("127.0.0.1", 0))
silent.listen(8)
ports["silent"] = silent.getsockname()[1]

with open(f"{work}/ports.new", "w", encoding="utf-8") as out:
    out.write(f"{ports['http']} {ports['https']} {ports['silent']}\n")
os.rename(f"{work}/ports.new", f"{work}/ports")
threading.Event().wait()
