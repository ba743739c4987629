#!/usr/bin/python3
"""A local SMTP sink for trying the e-mail notices by hand.

Listens on 127.0.0.1 (port 2525 unless told otherwise) and prints every
message it receives, decoded. With --auth USER:PASSWORD it asks for AUTH LOGIN
like a real provider would. Point Alarmas/ServerSMTP at 127.0.0.1 and
Alarmas/PuertoSMTP at the port. Uses Debian's python3-aiosmtpd.
"""

import argparse
import asyncio
import email
import email.policy
import logging
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Printer:
    async def handle_DATA(self, server, session, envelope):
        msg = email.message_from_bytes(envelope.content, policy=email.policy.default)
        print("=" * 72)
        print("Sobre:   MAIL FROM %s, RCPT TO %s" % (envelope.mail_from, ", ".join(envelope.rcpt_tos)))
        for name in ("From", "To", "Subject", "Date"):
            print("%-8s %s" % (name + ":", msg[name]))
        print()
        print(msg.get_content().rstrip())
        print(flush=True)
        return "250 OK"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=2525)
    parser.add_argument("--auth", metavar="USER:PASSWORD")
    args = parser.parse_args()
    logging.disable(logging.WARNING)
    warnings.simplefilter("ignore")

    kwargs = dict(auth_require_tls=False)
    if args.auth:
        user, password = args.auth.split(":", 1)

        def authenticator(server, session, envelope, mechanism, data):
            ok = (isinstance(data, LoginPassword) and data.login.decode() == user
                  and data.password.decode() == password)
            print("AUTH %s %s: %s" % (mechanism, data.login.decode() if data else "?",
                                      "aceptado" if ok else "rechazado"), flush=True)
            return AuthResult(success=True) if ok else AuthResult(success=False, handled=False)

        kwargs.update(auth_required=True, authenticator=authenticator)
    else:
        # Without --auth any login is taken, so that the program's stored
        # user and password need not match anything here.
        def accept_any(server, session, envelope, mechanism, data):
            return AuthResult(success=True)

        kwargs.update(authenticator=accept_any)

    async def serve():
        loop = asyncio.get_running_loop()
        server = await loop.create_server(lambda: SMTP(Printer(), loop=loop, **kwargs),
                                          "127.0.0.1", args.port)
        print("Servidor SMTP de prueba en 127.0.0.1:%d (Ctrl+C para salir)" % args.port,
              flush=True)
        async with server:
            await server.serve_forever()

    try:
        asyncio.run(serve())
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
