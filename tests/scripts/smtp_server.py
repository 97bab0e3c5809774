#!/usr/bin/python3
"""SMTP server on 127.0.0.1 for tests.

Usage: smtp_server.py MODE FOLDER [PORT [HOST]]

Listens on HOST (127.0.0.1 unless given, "::1" for IPv6) and PORT (any free one unless given);
prints the port it listens on as the first line of stdout and serves until its stdin closes.
MODE:
  accept       takes every message
  reject-rcpt  answers every RCPT with 550
  tempfail     answers every RCPT with 451 (try again later)
  close        closes each connection at once, before the greeting
  silent       accepts connections and never says a word
  starttls     offers STARTTLS (certificate FOLDER/cert.pem, self-signed for 127.0.0.1)
  smtps        TLS from the first byte, same certificate
AUTH PLAIN/LOGIN is offered in every mode that talks, also without TLS, and accepts anyone.
Each message taken is saved as the folder FOLDER/msg-N with the files raw, subject and body
(decoded, UTF-8), to, rcpt, mail_from, date, message_id, content_type, login, password, tls.
"""

import asyncio
import email
import email.policy
import logging
import os
import ssl
import subprocess
import sys
import threading

from aiosmtpd.smtp import SMTP, AuthResult


def make_certificate(folder):
    cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
    subprocess.run(
        ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
         "-out", cert, "-days", "2", "-subj", "/CN=127.0.0.1",
         "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost"],
        check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(cert, key)
    return context


class Recorder:
    def __init__(self, folder, mode):
        self.folder = folder
        self.mode = mode
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.mode == "reject-rcpt":
            return "550 5.1.1 No such user here"
        if self.mode == "tempfail":
            return "451 4.3.0 Mailbox busy, try again later"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        # STARTTLS sets session.ssl; a server that is TLS from the start has an SSL transport.
        tls = session.ssl is not None or server.transport.get_extra_info("ssl_object") is not None
        raw = envelope.original_content
        message = email.message_from_bytes(raw, policy=email.policy.default)
        login = password = b""
        if session.auth_data is not None:
            login, password = session.auth_data.login, session.auth_data.password
        body = message.get_content() if message.get_content_type() == "text/plain" else ""
        files = {
            "raw": raw,
            "subject": str(message.get("subject", "")).encode(),
            "body": body.encode(),
            "to": str(message.get("to", "")).encode(),
            "rcpt": ",".join(envelope.rcpt_tos).encode(),
            "mail_from": (envelope.mail_from or "").encode(),
            "date": str(message.get("date", "")).encode(),
            "message_id": str(message.get("message-id", "")).encode(),
            "content_type": str(message.get("content-type", "")).encode(),
            "login": login,
            "password": password,
            "tls": b"1" if tls else b"0",
        }
        temp = os.path.join(self.folder, "tmp-%d" % self.count)
        os.mkdir(temp)
        for name, data in files.items():
            with open(os.path.join(temp, name), "wb") as f:
                f.write(data)
        # Appears whole: the test polls for msg-N.
        os.rename(temp, os.path.join(self.folder, "msg-%d" % self.count))
        return "250 2.0.0 Saved as message %d" % self.count


def accept_anyone(server, session, envelope, mechanism, auth_data):
    return AuthResult(success=True, auth_data=auth_data)


class Silent(asyncio.Protocol):
    def connection_made(self, transport):
        self.transport = transport  # kept open, never answered


class Closer(asyncio.Protocol):
    def connection_made(self, transport):
        transport.close()


async def serve(mode, folder, port, host):
    loop = asyncio.get_running_loop()
    handler = Recorder(folder, mode)
    context = make_certificate(folder) if mode in ("starttls", "smtps") else None

    def smtp():
        return SMTP(handler, hostname="test.local", auth_require_tls=False,
                    authenticator=accept_anyone,
                    tls_context=context if mode == "starttls" else None)

    factory = {"silent": Silent, "close": Closer}.get(mode, smtp)
    server = await loop.create_server(factory, host, port, reuse_address=True,
                                      ssl=context if mode == "smtps" else None)
    print(server.sockets[0].getsockname()[1], flush=True)
    stop = asyncio.Event()
    threading.Thread(target=lambda: (sys.stdin.read(), loop.call_soon_threadsafe(stop.set)),
                     daemon=True).start()
    await stop.wait()
    server.close()


if __name__ == "__main__":
    logging.getLogger("mail.log").setLevel(logging.ERROR)
    port = int(sys.argv[3]) if len(sys.argv) > 3 else 0
    host = sys.argv[4] if len(sys.argv) > 4 else "127.0.0.1"
    asyncio.run(serve(sys.argv[1], sys.argv[2], port, host))
