#!/usr/bin/python3
"""An SMTP server on 127.0.0.1 that stops answering part-way.

  --after greeting   sends the 220 greeting, then never answers
  --after ehlo       answers EHLO (offering AUTH LOGIN), then never answers

Prints "PORT <n>" once it listens. Connections stay open until the process
ends, as with a server that hangs rather than one that goes away.
"""

import argparse
import asyncio


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--after", choices=("greeting", "ehlo"), required=True)
    args = parser.parse_args()

    async def session(reader, writer):
        writer.write(b"220 stall.test ESMTP\r\n")
        await writer.drain()
        if args.after == "ehlo":
            line = await reader.readline()
            if line.upper().startswith((b"EHLO", b"HELO")):
                writer.write(b"250-stall.test\r\n250 AUTH LOGIN PLAIN\r\n")
                await writer.drain()
        while await reader.read(4096):
            pass  # read and never answer

    server = await asyncio.start_server(session, "127.0.0.1", 0)
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    try:
        asyncio.run(main())
    except KeyboardInterrupt:
        pass
