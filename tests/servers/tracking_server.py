#!/usr/bin/env python3
"""HTTPS stand-in for the tracking service and the public-address service, on 127.0.0.1:443.

Both services are fixed at port 443, so one server plays both; the request's method tells them
apart. Usage: tracking_server.py <dir> <certificate> <key>.

Answers come from files in <dir>/answers, read at every request (tests change them between runs):
  ip, ip.status          body and status of "GET /" (default "203.0.113.9\\n", 200)
  report, report.status  body and status of the report POST (default '{"status":"ok"}', 200)
Every request n is recorded as <dir>/requests/<n>.body (raw body) and then <dir>/requests/<n>.head,
written last: "method=", "path=", "host=", "agent=", "type=" lines, and for a POST "json=ok" with
"keys=" (member names in order) when the body is a JSON object of strings, else "json=bad".
"""
import json
import os
import ssl
import sys
import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

DIR = sys.argv[1]
ANSWERS = os.path.join(DIR, "answers")
REQUESTS = os.path.join(DIR, "requests")
COUNT_LOCK = threading.Lock()


def answer(name, default_body, default_status):
    def read(suffix, default):
        try:
            with open(os.path.join(ANSWERS, name + suffix), "rb") as f:
                return f.read()
        except OSError:
            return default
    return read("", default_body), int(read(".status", str(default_status).encode()))


def describe_json(body):
    try:
        value = json.loads(body.decode("utf-8"), object_pairs_hook=list)
    except ValueError:
        return ["json=bad"]
    if not isinstance(value, list) or not all(isinstance(v, str) for _, v in value):
        return ["json=bad"]
    return ["json=ok", "keys=" + ",".join(k for k, _ in value)]


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def record(self, body, extra):
        with COUNT_LOCK:
            n = len([f for f in os.listdir(REQUESTS) if f.endswith(".body")])
            with open(os.path.join(REQUESTS, f"{n}.body"), "wb") as f:
                f.write(body)
        lines = [f"method={self.command}", f"path={self.path}", f"host={self.headers.get('Host', '')}",
                 f"agent={self.headers.get('User-Agent', '')}", f"type={self.headers.get('Content-Type', '')}"]
        head = os.path.join(REQUESTS, f"{n}.head")
        with open(head + ".tmp", "w") as f:
            f.write("\n".join(lines + extra) + "\n")
        os.replace(head + ".tmp", head)

    def reply(self, body, status):
        self.send_response(status)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        self.record(b"", [])
        self.reply(*answer("ip", b"203.0.113.9\n", 200))

    def do_POST(self):
        body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
        self.record(body, describe_json(body))
        self.reply(*answer("report", b'{"status":"ok"}', 200))


def main():
    os.makedirs(ANSWERS, exist_ok=True)
    os.makedirs(REQUESTS, exist_ok=True)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(sys.argv[2], sys.argv[3])
    server = ThreadingHTTPServer(("127.0.0.1", 443), Handler)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    open(os.path.join(DIR, "ready"), "w").close()
    server.serve_forever()


if __name__ == "__main__":
    main()
