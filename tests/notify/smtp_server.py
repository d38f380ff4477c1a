"""A local SMTP server for the mail tests (Debian's python3-aiosmtpd).

    smtp_server.py OUT_FILE [--auth USER:PASSWORD] [--starttls | --implicit-tls]

With --starttls the server offers STARTTLS, with --implicit-tls it speaks
TLS from the first byte; either way with a fresh self-signed certificate for
127.0.0.1, written beside OUT_FILE as cert.pem (and printed as "cert=PATH"
before the port). Each record also carries "defects": what Python's email
package, with its strict policy, finds wrong in the message ([] for none),
and "message_id".

Listens on 127.0.0.1 and prints "port=N" once it accepts connections. Each
mail it takes is appended to OUT_FILE as one JSON line: mail_from,
rcpt_tos, login (the authenticated user, or null) and content (the message
as received, Latin-1 decoded so every byte survives). With --auth the
server offers AUTH on plain connections (without requiring it). Runs until its
standard input closes.
"""
import argparse
import email
import email.policy
import json
import logging
import os
import socket
import ssl
import subprocess
import sys

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult


class Recorder:
    def __init__(self, path):
        self.path = path

    async def handle_DATA(self, server, session, envelope):
        record = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "login": session.auth_data if session.authenticated else None,
            "content": envelope.original_content.decode("latin-1"),
        }
        try:
            message = email.message_from_bytes(envelope.original_content,
                                               policy=email.policy.strict)
            record["message_id"] = message["Message-ID"]
            record["subject"] = str(message["Subject"])
            record["from"] = str(message["From"])
            record["body"] = message.get_content()
            record["defects"] = [str(d) for d in message.defects]
        except Exception as error:  # the strict policy raises on a defect
            record["defects"] = [repr(error)]
        # One write per line, flushed before the 250: the client never
        # sees "sent" for a mail that is not on disk yet.
        with open(self.path, "a", encoding="utf-8") as out:
            out.write(json.dumps(record) + "\n")
        return "250 OK"


def free_port():
    # The Controller checks readiness by connecting to its port, so port 0
    # cannot be handed to it directly.
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    logging.getLogger("mail.log").setLevel(logging.CRITICAL)
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--auth", metavar="USER:PASSWORD")
    tls = parser.add_mutually_exclusive_group()
    tls.add_argument("--starttls", action="store_true")
    tls.add_argument("--implicit-tls", action="store_true")
    args = parser.parse_args()

    context = None
    if args.starttls or args.implicit_tls:
        folder = os.path.dirname(os.path.abspath(args.out))
        cert = os.path.join(folder, "cert.pem")
        key = os.path.join(folder, "key.pem")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes",
                        "-keyout", key, "-out", cert, "-days", "2", "-subj", "/CN=127.0.0.1",
                        "-addext", "subjectAltName=IP:127.0.0.1"],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(cert, key)
        print("cert=%s" % cert, flush=True)

    options = {}
    if args.auth:
        user, password = args.auth.split(":", 1)

        def authenticate(server, session, envelope, mechanism, data):
            ok = data.login.decode() == user and data.password.decode() == password
            # handled=False: aiosmtpd itself answers 535 to a refusal.
            return AuthResult(success=ok, handled=ok, auth_data=user if ok else None)

        options = {"authenticator": authenticate, "auth_required": False,
                   "auth_require_tls": False}
    if args.starttls:
        options["tls_context"] = context
    if args.implicit_tls:
        options["ssl_context"] = context

    controller = Controller(Recorder(args.out), hostname="127.0.0.1", port=free_port(),
                            **options)
    controller.start()
    print("port=%d" % controller.port, flush=True)
    sys.stdin.read()
    controller.stop()


if __name__ == "__main__":
    main()
