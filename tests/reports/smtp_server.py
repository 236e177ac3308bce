#!/usr/bin/env python3
"""A local SMTP server for the mail tests.

    smtp_server.py PORT_FILE OUT_DIR [--refuse ADDRESS]... [--tls CERT KEY]
                   [--login USER PASSWORD]

Binds 127.0.0.1 on a free port and writes the port to PORT_FILE (whole,
through a rename). Each message received goes to OUT_DIR as N.eml (the bytes
as received) with N.json beside it: the envelope's sender and recipients,
whether the session was encrypted and who logged in. --refuse makes RCPT TO
of ADDRESS fail with 550; --tls offers STARTTLS with the given certificate;
--login requires that login (offered only once the session is encrypted).
Runs until killed.
"""
import argparse
import asyncio
import json
import os
import ssl
import sys
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Handler:
    def __init__(self, out_dir, refused):
        self.out_dir = out_dir
        self.refused = {a.lower() for a in refused}
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower() in self.refused:
            return "550 5.1.1 Mailbox unavailable"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.out_dir, str(self.count))
        content = envelope.original_content or envelope.content
        with open(base + ".eml.tmp", "wb") as f:
            f.write(content)
        login = session.auth_data if session.authenticated else None
        with open(base + ".json.tmp", "w", encoding="utf-8") as f:
            json.dump({"mail_from": envelope.mail_from, "rcpt_tos": envelope.rcpt_tos,
                       "tls": session.ssl is not None, "login": login}, f)
        os.replace(base + ".json.tmp", base + ".json")
        os.replace(base + ".eml.tmp", base + ".eml")
        return "250 Message accepted"


def main():
    warnings.simplefilter("ignore")  # aiosmtpd warns of its own deprecated names
    p = argparse.ArgumentParser()
    p.add_argument("port_file")
    p.add_argument("out_dir")
    p.add_argument("--refuse", action="append", default=[])
    p.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    p.add_argument("--login", nargs=2, metavar=("USER", "PASSWORD"))
    a = p.parse_args()

    handler = Handler(a.out_dir, a.refuse)
    tls = None
    if a.tls:
        tls = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        tls.load_cert_chain(a.tls[0], a.tls[1])

    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword) and a.login is not None
              and auth_data.login.decode() == a.login[0] and auth_data.password.decode() == a.login[1])
        return AuthResult(success=ok, handled=False, auth_data=a.login[0] if ok else None)

    kwargs = {}
    if a.login:
        kwargs.update(authenticator=authenticator, auth_required=True, auth_require_tls=True)

    def factory():
        return SMTP(handler, hostname="localhost", tls_context=tls, require_starttls=False,
                    decode_data=False, **kwargs)

    loop = asyncio.new_event_loop()
    server = loop.run_until_complete(loop.create_server(factory, "127.0.0.1", 0))
    port = server.sockets[0].getsockname()[1]
    with open(a.port_file + ".tmp", "w") as f:
        f.write(str(port))
    os.replace(a.port_file + ".tmp", a.port_file)
    sys.stdout.flush()
    loop.run_forever()


if __name__ == "__main__":
    main()
