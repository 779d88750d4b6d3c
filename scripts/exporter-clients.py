#!/usr/bin/env python3
"""Clients of orvane-exporter for scripts/measure-exporter.sh: what a careless or hostile client
sends (a huge request, requests sent a byte at a time), and a burst of probes. Each prints one
line of results.

usage: exporter-clients.py huge HOST:PORT line|body MEGABYTES
       exporter-clients.py slow HOST:PORT CLIENTS SECONDS_PER_BYTE SECONDS PROBE_TARGET
       exporter-clients.py burst HOST:PORT PROBES PROBE_TARGET
"""
import asyncio
import re
import resource
import socket
import sys
import time

# How long an ordinary client waits for an answer: Prometheus' default scrape time-out, and more.
PATIENCE = 12.0
SCRAPE_HEADER = b"X-Prometheus-Scrape-Timeout-Seconds: 10\r\n"


def probe_request(host, target):
    return (f"GET /probe?target={target}&timeout=1 HTTP/1.1\r\nHost: {host}\r\n".encode()
            + SCRAPE_HEADER + b"\r\n")


async def read_answer(connection):
    """The status code and body of an answer, read as it comes until the connection ends (a
    reset after it included); status 0 for none."""
    loop = asyncio.get_running_loop()
    answer = b""
    try:
        while chunk := await loop.sock_recv(connection, 1 << 16):
            answer += chunk
    except ConnectionError:
        pass
    match = re.match(rb"HTTP/1\.[01] (\d{3})", answer)
    return (int(match.group(1)) if match else 0), answer.partition(b"\r\n\r\n")[2]


async def exchange(host, port, request, seconds_per_byte=0.0):
    """Sends the request (a byte at a time with a pause between them when asked) while reading
    the answer: (status, body, seconds), status 0 when the connection ended without one. Plain
    sockets: asyncio's streams drop what arrived before a reset."""
    loop = asyncio.get_running_loop()
    start = time.monotonic()
    with socket.socket() as connection:
        connection.setblocking(False)
        await loop.sock_connect(connection, (host, port))
        answer = asyncio.create_task(read_answer(connection))
        step = 1 if seconds_per_byte else 1 << 16
        try:
            for at in range(0, len(request), step):
                if answer.done():
                    break  # refused before the end
                await loop.sock_sendall(connection, request[at:at + step])
                if seconds_per_byte:
                    await asyncio.sleep(seconds_per_byte)
        except ConnectionError:
            pass  # refused before the end: the answer tells why
        try:
            status, body = await answer
        finally:
            answer.cancel()  # where the caller gave up waiting
    return status, body, time.monotonic() - start


class HugeRequest:
    """A request of the given size that is produced as it is sent, not held in memory."""

    def __init__(self, kind, size):
        self.head = (b"GET /probe?target=" if kind == "line" else
                     b"POST /probe HTTP/1.1\r\nContent-Length: %d\r\n\r\n" % size)
        self.size = len(self.head) + size

    def __len__(self):
        return self.size

    def __getitem__(self, part):
        start, stop = part.start, min(part.stop, self.size)
        head = self.head[start:stop]
        return head + b"a" * (stop - start - len(head))


async def huge(host, port, kind, megabytes):
    status, _, seconds = await exchange(host, port, HugeRequest(kind, megabytes << 20))
    print(f"{megabytes} MB request {kind}: HTTP {status or 'none'} after {seconds:.2f} s")


async def slow(host, port, clients, seconds_per_byte, seconds, target):
    request = probe_request(host, target)
    slow_clients = [asyncio.create_task(exchange(host, port, request, seconds_per_byte))
                    for _ in range(clients)]
    ordinary = []
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        ordinary.append(asyncio.create_task(
            asyncio.wait_for(exchange(host, port, request), PATIENCE)))
        await asyncio.sleep(0.5)
    slowest, unanswered = 0.0, 0
    for task in ordinary:
        try:
            status, body, took = await task
            ok = status == 200 and b"\norvane_probe_success 1\n" in body
            unanswered += 0 if ok else 1
            slowest = max(slowest, took)
        except asyncio.TimeoutError:
            unanswered += 1
            slowest = max(slowest, PATIENCE)
    statuses = {}
    for task in slow_clients:
        if task.done():
            status = task.result()[0]
            statuses[status] = statuses.get(status, 0) + 1
        task.cancel()
    print(f"{clients} slow clients, {len(ordinary)} ordinary probes: slowest ordinary "
          f"{slowest:.3f} s, {unanswered} without success 1 within {PATIENCE:.0f} s; "
          f"slow clients answered {statuses or 'never'}, "
          f"{clients - sum(statuses.values())} still sending")


async def burst(host, port, probes, target):
    request = probe_request(host, target)

    async def one():
        try:
            return await asyncio.wait_for(exchange(host, port, request), PATIENCE)
        except (asyncio.TimeoutError, OSError):
            return None, b"", PATIENCE

    answers = await asyncio.gather(*(one() for _ in range(probes)))
    succeeded = sum(1 for status, body, _ in answers
                    if status == 200 and b"\norvane_probe_success 1\n" in body)
    false_down = sum(1 for status, body, _ in answers
                     if status == 200 and b"\norvane_probe_success 0\n" in body)
    refused = sum(1 for status, _, _ in answers if status == 503)
    failed = probes - succeeded - false_down - refused
    slowest = max(took for _, _, took in answers)
    print(f"burst of {probes}: {succeeded} success 1, {false_down} success 0 (false), "
          f"{refused} HTTP 503, {failed} other or no answer; slowest {slowest:.3f} s")


def main():
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
    command, address, *rest = sys.argv[1:]
    host, port = address.rsplit(":", 1)
    if command == "huge":
        asyncio.run(huge(host, int(port), rest[0], int(rest[1])))
    elif command == "slow":
        asyncio.run(slow(host, int(port), int(rest[0]), float(rest[1]), float(rest[2]), rest[3]))
    elif command == "burst":
        asyncio.run(burst(host, int(port), int(rest[0]), rest[1]))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
