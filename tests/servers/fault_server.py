#!/usr/bin/env python3
"""HTTP server that misbehaves on purpose, for what a production server will not do.

Paths name the behaviour; the last segment is the file name the client sees. Bodies follow the
pattern byte(i) = (i * 131 + 7) % 251 of the file offset i, so clients can check what they wrote.

  /body/<size>/<name>               200, or 206 for a Range request, done right
  /drop/<size>/<after>/<name>       sends <after> body bytes, then resets the connection
  /reset/<size>/<name>              sends the headers, then resets the connection
  /short/<size>/<sent>/<name>       Content-Length <size> but only <sent> bytes, then a clean close
  /cut/<size>/<times>/<name>        the first <times> answers for the path send a quarter of <size>
                                    from where they start, then close cleanly; later ones are whole
  /nolength/<size>/<name>           200 without Content-Length
  /status/<code>/<name>             that status with a small body
  /ignore-range/<size>/<name>       always 200 with the whole body
  /bad-range/<size>/<name>          206 whose Content-Range starts at 0, whatever was asked
  /slow/<size>/<ms>/<name>          one 1 KiB piece every <ms> milliseconds; honours Range
  /flip-once/<size>/<name>          like body, but the first answer for the path has one byte wrong
  /late/<size>/<ms>/<name>          headers only after <ms> milliseconds
  /stall/<size>/<after>/<times>/<name>
                                    the first <times> answers for the path send <after> body bytes
                                    and then nothing, holding the connection until the client
                                    leaves (two minutes at most); later ones are whole
  /text/<hex>/<name>                200 with the bytes given in hex
  /busy/<code>/<times>/<retry-after>/<size>/<name>
                                    the first <times> answers for the path are <code> with that
                                    Retry-After ("-": none); later ones are like body
  /republished/<size>/<name>        the first answer (ETag "v1") sends a quarter and closes; later
                                    ones are another build (ETag "v2", each byte ^ 0x55), and a
                                    Range whose If-Range is not "v2" gets that build whole
  /gone-after/<size>/<sent>/<name>  the first answer sends <sent> bytes and closes; later ones 410
  /restart-cut/<size>/<name>        every answer is 200 with the whole length, ignoring any Range,
                                    and sends a quarter before it closes
  /timed/<size>/<name>              200 with the whole body, noting every 25 ms how much was sent
  /__sent/<name>                    JSON list of [ms, written, out] for the last /timed/ answer
                                    named <name>: by ms after its headers, the body bytes handed
                                    to the socket and those of them the client acknowledged (not
                                    waiting in the send queue)
  /__log                            JSON list of {path, range, if_range, status, sent, ended} since
                                    the last reset (ended: seconds since 1970 the answer ended)
  /__reset                          forgets the log

File answers carry ETag "v1" (a Range whose If-Range names another tag gets the whole file).
"""
import json
import re
import select
import socket
import struct
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

LOG = []
FLIPPED = set()  # paths already answered with a wrong byte
CUT = {}  # answers cut short (or stalled) so far, by path
SENT = {}  # the timeline of the last /timed/ answer, by name
LOG_LOCK = threading.Lock()
# pattern(i) repeats every 251 bytes: any 16 KiB of it is a slice of this.
PATTERN_RUN = bytes((i * 131 + 7) % 251 for i in range(251 + 16384))


def pattern(start, end, build=1):
    flip = 0 if build == 1 else 0x55
    return bytes(((i * 131 + 7) % 251) ^ flip for i in range(start, end))


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def record(self, status, sent):
        with LOG_LOCK:
            LOG.append({"path": self.path, "range": self.headers.get("Range", ""),
                        "if_range": self.headers.get("If-Range", ""), "status": status, "sent": sent,
                        "ended": time.time()})

    def head(self, status, headers):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Connection", "close")
        self.end_headers()

    def reset_connection(self, status, sent):
        # Let the client take what was sent, then close with linger 0: a reset, not an orderly FIN.
        self.wfile.flush()
        self.record(status, sent)
        time.sleep(0.3)
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.connection.close()

    def hold_until_client_leaves(self, seconds):
        end = time.time() + seconds
        while time.time() < end:
            readable, _, _ = select.select([self.connection], [], [], 0.5)
            try:
                if readable and not self.connection.recv(1024):
                    return
            except OSError:
                return

    def requested_start(self, size, etag='"v1"'):
        match = re.fullmatch(r"bytes=(\d+)-", self.headers.get("Range", ""))
        if_range = self.headers.get("If-Range")
        if if_range is not None and if_range != etag:
            return None  # another build than the one the client has: the whole file
        return int(match.group(1)) if match and int(match.group(1)) < size else None

    def send_file(self, size, honour_range=True, limit=None, build=1):
        etag = f'"v{build}"'
        start = self.requested_start(size, etag) if honour_range else None
        if start is None:
            self.head(200, [("Content-Length", str(size)), ("ETag", etag)])
            start, status = 0, 200
        else:
            self.head(206, [("Content-Length", str(size - start)), ("ETag", etag),
                            ("Content-Range", f"bytes {start}-{size - 1}/{size}")])
            status = 206
        end = size if limit is None else min(size, start + limit)
        self.wfile.write(pattern(start, end, build))
        return status, end - start

    def send_timed(self, size, name):
        self.head(200, [("Content-Length", str(size))])
        self.wfile.flush()
        sock, began, timeline, state = self.connection, time.monotonic(), [], {"written": 0, "done": False}
        with LOG_LOCK:
            SENT[name] = timeline

        def acked():  # tcpi_bytes_acked of struct tcp_info (Linux 4.1 on)
            return struct.unpack_from("Q", sock.getsockopt(socket.IPPROTO_TCP, socket.TCP_INFO, 136), 120)[0]

        headers = acked()

        def sample():
            while not state["done"]:
                written = state["written"]
                try:
                    out = min(written, acked() - headers)
                except OSError:
                    return
                with LOG_LOCK:
                    timeline.append([round((time.monotonic() - began) * 1000), written, out])
                time.sleep(0.025)

        sampler = threading.Thread(target=sample, daemon=True)
        sampler.start()
        try:
            while state["written"] < size:
                offset = state["written"]
                state["written"] += sock.send(PATTERN_RUN[offset % 251:offset % 251 + min(16384, size - offset)])
        except OSError:
            pass  # the client went away
        state["done"] = True
        sampler.join()
        return 200, state["written"]

    def answers_so_far(self):
        with LOG_LOCK:
            count = CUT.get(self.path, 0)
            CUT[self.path] = count + 1
        return count

    def do_GET(self):
        parts = self.path.split("?")[0].strip("/").split("/")
        mode, args = parts[0], parts[1:]
        self.close_connection = True
        if mode == "__log":
            with LOG_LOCK:
                body = json.dumps(LOG).encode()
            self.head(200, [("Content-Length", str(len(body)))])
            self.wfile.write(body)
            return
        if mode == "__sent":
            with LOG_LOCK:
                body = json.dumps(SENT.get(args[0] if args else "", [])).encode()
            self.head(200, [("Content-Length", str(len(body)))])
            self.wfile.write(body)
            return
        if mode == "__reset":
            with LOG_LOCK:
                LOG.clear()
                FLIPPED.clear()
                CUT.clear()
                SENT.clear()
            self.head(200, [("Content-Length", "0")])
            return

        size = int(args[0]) if args and args[0].isdigit() else 0
        status, sent = 200, 0
        if mode == "body":
            status, sent = self.send_file(size)
        elif mode == "timed":
            status, sent = self.send_timed(size, parts[-1])
        elif mode == "drop":
            status, sent = self.send_file(size, limit=int(args[1]))
            self.reset_connection(status, sent)
            return
        elif mode == "reset":
            self.head(200, [("Content-Length", str(size))])
            self.reset_connection(200, 0)
            return
        elif mode == "short":
            status, sent = self.send_file(size, limit=int(args[1]))
        elif mode == "cut":
            with LOG_LOCK:
                cut = CUT.get(self.path, 0) < int(args[1])
                CUT[self.path] = CUT.get(self.path, 0) + 1
            status, sent = self.send_file(size, limit=size // 4 if cut else None)
        elif mode == "nolength":
            self.head(200, [])
            self.wfile.write(pattern(0, size))
            sent = size
        elif mode == "status":
            status = size
            self.head(status, [("Content-Length", "2")])
            self.wfile.write(b"no")
        elif mode == "ignore-range":
            status, sent = self.send_file(size, honour_range=False)
        elif mode == "bad-range":
            if self.headers.get("Range"):
                status = 206
                self.head(206, [("Content-Length", str(size)), ("Content-Range", f"bytes 0-{size - 1}/{size}")])
                self.wfile.write(pattern(0, size))
                sent = size
            else:
                status, sent = self.send_file(size)
        elif mode == "slow":
            delay = int(args[1]) / 1000.0
            start = self.requested_start(size)
            if start is None:
                self.head(200, [("Content-Length", str(size))])
                start = 0
            else:
                status = 206
                self.head(206, [("Content-Length", str(size - start)),
                                ("Content-Range", f"bytes {start}-{size - 1}/{size}")])
            try:
                for offset in range(start, size, 1024):
                    self.wfile.write(pattern(offset, min(size, offset + 1024)))
                    self.wfile.flush()
                    sent = min(size, offset + 1024) - start
                    time.sleep(delay)
            except OSError:
                pass  # the client went away; the log says how far it got
        elif mode == "stall":
            with LOG_LOCK:
                stall = CUT.get(self.path, 0) < int(args[2])
                CUT[self.path] = CUT.get(self.path, 0) + 1
            if not stall:
                status, sent = self.send_file(size)
            else:
                status, sent = self.send_file(size, limit=int(args[1]))
                self.wfile.flush()
                self.record(status, sent)
                self.hold_until_client_leaves(120)
                return
        elif mode == "flip-once":
            with LOG_LOCK:
                first = self.path not in FLIPPED
                FLIPPED.add(self.path)
            body = bytearray(pattern(0, size))
            if first and size:
                body[size // 2] ^= 0xFF
            self.head(200, [("Content-Length", str(size))])
            self.wfile.write(body)
            sent = size
        elif mode == "late":
            time.sleep(int(args[1]) / 1000.0)
            status, sent = self.send_file(size)
        elif mode == "busy":
            code, times, retry_after = int(args[0]), int(args[1]), args[2]
            size = int(args[3])
            if self.answers_so_far() < times:
                status = code
                headers = [("Content-Length", "4")] + ([("Retry-After", retry_after)] if retry_after != "-" else [])
                self.head(code, headers)
                self.wfile.write(b"busy")
            else:
                status, sent = self.send_file(size)
        elif mode == "republished":
            first = self.answers_so_far() == 0
            status, sent = self.send_file(size, limit=size // 4 if first else None, build=1 if first else 2)
        elif mode == "restart-cut":
            status, sent = self.send_file(size, honour_range=False, limit=size // 4)
        elif mode == "gone-after":
            if self.answers_so_far() == 0:
                status, sent = self.send_file(size, limit=int(args[1]))
            else:
                status = 410
                self.head(410, [("Content-Length", "4")])
                self.wfile.write(b"gone")
        elif mode == "text":
            body = bytes.fromhex(args[0]) if args and args[0] != "-" else b""
            self.head(200, [("Content-Length", str(len(body)))])
            self.wfile.write(body)
            sent = len(body)
        else:
            status = 404
            self.head(404, [("Content-Length", "0")])
        self.record(status, sent)


def main():
    port_file = sys.argv[1]
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    with open(port_file, "w") as f:
        f.write(str(server.server_address[1]))
    server.serve_forever()


if __name__ == "__main__":
    main()
