#!/usr/bin/env python3
"""A loopback HTTP proxy that holds every answer back by a fixed delay, as a distant server would.

Each client connection gets its own keep-alive connection to the upstream server; every request on
it is forwarded after the delay and its answer (which must carry Content-Length, as nginx's static
files do) streamed back whole.

    delay_proxy.py <listen-port> <upstream-port> <delay-ms>
"""
import asyncio
import sys


async def read_head(reader):
    head = await reader.readuntil(b"\r\n\r\n")
    return head, head.decode("latin-1").lower()


def content_length(head_text):
    for line in head_text.split("\r\n")[1:]:
        name, _, value = line.partition(":")
        if name.strip() == "content-length":
            return int(value.strip())
    return None


async def serve(client_reader, client_writer, upstream_port, delay):
    upstream_reader, upstream_writer = await asyncio.open_connection("127.0.0.1", upstream_port)
    try:
        while True:
            request, _ = await read_head(client_reader)
            await asyncio.sleep(delay)
            upstream_writer.write(request)
            await upstream_writer.drain()
            answer, answer_text = await read_head(upstream_reader)
            length = content_length(answer_text)
            client_writer.write(answer)
            if request.startswith(b"HEAD ") or answer_text.split(" ", 2)[1] in ("204", "304"):
                length = 0
            if length is None:
                client_writer.write(await upstream_reader.read())
                break
            while length > 0:
                chunk = await upstream_reader.read(min(length, 1 << 16))
                if not chunk:
                    return
                client_writer.write(chunk)
                length -= len(chunk)
            await client_writer.drain()
    except (asyncio.IncompleteReadError, ConnectionError):
        pass
    finally:
        upstream_writer.close()
        client_writer.close()


async def main():
    listen_port, upstream_port, delay_ms = (int(value) for value in sys.argv[1:4])
    server = await asyncio.start_server(
        lambda r, w: serve(r, w, upstream_port, delay_ms / 1000), "127.0.0.1", listen_port)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    asyncio.run(main())
