#!/usr/bin/env python3
"""Serves one file over HTTP and goes away for a while, as a router restart does.

The first answer stops after <cut> body bytes; the server then stops listening for <seconds> (a
client's connections are refused) and comes back on the same port. It honours Range and If-Range
(ETag "1"). After each answer it rewrites <report.json>: when it came back, and for every request the
time it arrived, its Range, when its first body byte left and how many bytes it sent.
Usage: outage_server.py <file> <port> <cut> <seconds> <report.json>
"""
import json
import os
import re
import socket
import sys
import time


def listen(port):
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", port))
    server.listen(8)
    return server


def read_head(client):
    head = b""
    while b"\r\n\r\n" not in head:
        chunk = client.recv(4096)
        if not chunk:
            return None
        head += chunk
    lines = head.split(b"\r\n\r\n", 1)[0].decode("latin-1").split("\r\n")
    headers = {}
    for line in lines[1:]:
        name, _, value = line.partition(":")
        headers[name.strip().lower()] = value.strip()
    return headers


def main():
    path, port, cut, outage, report_path = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), float(sys.argv[4]), sys.argv[5]
    size = os.path.getsize(path)
    report = {"size": size, "outage_seconds": outage, "returned_at": None, "requests": []}
    server = listen(port)
    with open(path, "rb") as source:
        while True:
            client, _ = server.accept()
            headers = read_head(client)
            if headers is None:
                client.close()
                continue
            entry = {"at": time.time(), "range": headers.get("range", ""), "first_byte_at": None, "sent": 0}
            match = re.fullmatch(r"bytes=(\d+)-", entry["range"])
            start = int(match.group(1)) if match and headers.get("if-range", '"1"') == '"1"' else 0
            start = start if start < size else 0
            if start:
                head = (f"HTTP/1.1 206 Partial Content\r\nContent-Length: {size - start}\r\n"
                        f"Content-Range: bytes {start}-{size - 1}/{size}\r\n")
            else:
                head = f"HTTP/1.1 200 OK\r\nContent-Length: {size}\r\n"
            client.sendall((head + 'ETag: "1"\r\nConnection: close\r\n\r\n').encode())
            first = not report["requests"]
            end = min(size, cut) if first else size
            entry["first_byte_at"] = time.time()
            try:
                entry["sent"] = client.sendfile(source, start, end - start) if end > start else 0
            except OSError:
                pass
            client.close()
            report["requests"].append(entry)
            if first:
                server.close()
                time.sleep(outage)
                server = listen(port)
                report["returned_at"] = time.time()
            with open(report_path, "w") as out:
                json.dump(report, out)


if __name__ == "__main__":
    main()
