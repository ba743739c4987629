#!/usr/bin/python3
"""A small SMTP server on 127.0.0.1 for the notice tests.

Prints "PORT <n>" once it listens, then one JSON object per line for every
event: "connect", "auth" (user, ok, tls) and "message" (mail_from, rcpt_tos,
data as latin-1 text of the raw bytes, the header names in order and the
subject, sender, recipients and body as Python's e-mail parser decodes them,
tls, auth user, time). Modes:

  --auth USER:PASSWORD   AUTH required before MAIL (LOGIN and PLAIN offered)
  --mechanisms A,B       offer only these AUTH mechanisms; a name the server
                         does not know (XTEST) is offered and always refused
  --auth-optional        with --auth: offer AUTH but take mail without it
  --no-auth-offer        no AUTH in the EHLO reply at all
  --tls CERT KEY         offers STARTTLS; AUTH only inside TLS
  --hang                 accepts connections and never answers
  --bad-starttls         offers STARTTLS, answers 220, then breaks the handshake
                         and reports any command that still arrives in clear
"""

import argparse
import asyncio
import email
import email.policy
import json
import logging
import ssl
import sys
import time
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword, auth_mechanism


def emit(**event):
    print(json.dumps(event), flush=True)


BUILTIN_MECHANISMS = ("LOGIN", "PLAIN")


def refuse_mechanism(name):
    @auth_mechanism(name)
    async def refuse(server, args):
        emit(event="auth", user=None, ok=False, mechanism=name, tls=server.session.ssl is not None)
        return AuthResult(success=False, handled=False)
    return refuse


class Recorder:
    async def handle_DATA(self, server, session, envelope):
        parsed = email.message_from_bytes(envelope.content, policy=email.policy.default)
        emit(event="message", mail_from=envelope.mail_from, rcpt_tos=envelope.rcpt_tos,
             data=envelope.content.decode("latin-1"), headers=list(parsed.keys()),
             subject=str(parsed["subject"]), sender=str(parsed["from"]), to=str(parsed["to"]),
             body=parsed.get_content(), tls=session.ssl is not None,
             auth=session.auth_data.login.decode() if isinstance(session.auth_data, LoginPassword)
             else None, time=time.time())
        return "250 OK"


class RecordingSMTP(SMTP):
    def connection_made(self, transport):
        if self._tls_protocol is None:
            emit(event="connect")
        super().connection_made(transport)


def make_authenticator(user, password):
    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword) and auth_data.login.decode() == user
              and auth_data.password.decode() == password)
        emit(event="auth", user=auth_data.login.decode() if auth_data else None, ok=ok,
             mechanism=mechanism, tls=session.ssl is not None)
        if ok:
            return AuthResult(success=True, auth_data=auth_data)
        # handled=False lets the server answer 535 itself.
        return AuthResult(success=False, handled=False)
    return authenticator


async def hang(reader, writer):
    emit(event="connect")
    await asyncio.sleep(3600)


async def bad_starttls(reader, writer):
    emit(event="connect")
    writer.write(b"220 test ESMTP\r\n")
    upgraded = False
    while True:
        line = await reader.readline()
        if not line:
            break
        cmd = line.decode("latin-1").strip()
        if upgraded:
            emit(event="plaintext-after-starttls", line=cmd)
            writer.write(b"250 OK\r\n")
            continue
        verb = cmd.split(" ")[0].upper()
        if verb == "EHLO":
            writer.write(b"250-test\r\n250-STARTTLS\r\n250 AUTH LOGIN\r\n")
        elif verb == "STARTTLS":
            emit(event="starttls")
            # Not a TLS record: the client's handshake must fail.
            writer.write(b"220 go ahead\r\nthis is not TLS at all\r\n" * 4)
            upgraded = True
        else:
            emit(event="plaintext", line=cmd)
            writer.write(b"250 OK\r\n")
        await writer.drain()
    writer.close()


async def main():
    # The test reads stdout only; aiosmtpd's advice about clear-text AUTH is expected here.
    logging.disable(logging.WARNING)
    warnings.simplefilter("ignore")
    parser = argparse.ArgumentParser()
    parser.add_argument("--auth")
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--hang", action="store_true")
    parser.add_argument("--bad-starttls", action="store_true")
    parser.add_argument("--mechanisms")
    parser.add_argument("--auth-optional", action="store_true")
    parser.add_argument("--no-auth-offer", action="store_true")
    args = parser.parse_args()

    loop = asyncio.get_running_loop()
    if args.hang:
        server = await asyncio.start_server(hang, "127.0.0.1", 0)
    elif args.bad_starttls:
        server = await asyncio.start_server(bad_starttls, "127.0.0.1", 0)
    else:
        context = None
        if args.tls:
            context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
            context.load_cert_chain(args.tls[0], args.tls[1])
        # Without TLS, AUTH is offered unless told otherwise: outside TLS only
        # a server that requires TLS for it keeps it out of the EHLO reply.
        kwargs = dict(hostname="smtp.test", tls_context=context,
                      auth_require_tls=bool(context) or args.no_auth_offer)
        handler = Recorder()
        if args.auth:
            user, password = args.auth.split(":", 1)
            kwargs.update(auth_required=not args.auth_optional,
                          authenticator=make_authenticator(user, password))
        if args.mechanisms:
            wanted = [m.strip().upper() for m in args.mechanisms.split(",") if m.strip()]
            kwargs.update(auth_exclude_mechanism=[m for m in BUILTIN_MECHANISMS if m not in wanted])
            for name in wanted:
                if name not in BUILTIN_MECHANISMS:
                    setattr(handler, "auth_" + name.replace("-", "__"), refuse_mechanism(name))
        server = await loop.create_server(lambda: RecordingSMTP(handler, loop=loop, **kwargs),
                                          "127.0.0.1", 0)
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    try:
        asyncio.run(main())
    except KeyboardInterrupt:
        sys.exit(0)
