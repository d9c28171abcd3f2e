#!/usr/bin/python3
"""Loopback FTP servers for the tests: plain FTP, explicit FTPS, and a plain FTP
server whose listings a test can craft.

Reads one JSON object from standard input: user, password, root, certificate,
key. Prints "READY <ftp port> <ftps port> <crafted port>" once all three listen
on 127.0.0.1, then serves until it is terminated.
"""
import json
import os
import signal
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, TLS_DTPHandler, TLS_FTPHandler
from pyftpdlib.servers import FTPServer


class CurlFriendlyTLSDTPHandler(TLS_DTPHandler):
    # pyftpdlib 1.5.7 stops reading a data connection while its TLS handshake is
    # still going on, and curl then gives up on the transfer.
    def readable(self):
        if self._ssl_accepting:
            return True
        return super().readable()


class CraftedListingHandler(FTPHandler):
    """Answers LIST (NLST) of a folder that holds a file ".crafted-list"
    (".crafted-nlst") with that file's bytes, unchanged: a hostile server."""

    def _crafted(self, path, name):
        candidate = os.path.join(path, name)
        if not os.path.isfile(candidate):
            return None
        with open(candidate, "rb") as listing:
            return listing.read()

    def ftp_LIST(self, path):
        data = self._crafted(path, ".crafted-list")
        if data is None:
            return super().ftp_LIST(path)
        self.push_dtp_data(data, cmd="LIST")
        return path

    def ftp_NLST(self, path):
        data = self._crafted(path, ".crafted-nlst")
        if data is None:
            return super().ftp_NLST(path)
        self.push_dtp_data(data, cmd="NLST")
        return path


def make_server(handler_base, config, **tls):
    authorizer = DummyAuthorizer()
    authorizer.add_user(config["user"], config["password"], config["root"], perm="elradfmwMT")
    handler = type("Handler", (handler_base,), {})
    handler.authorizer = authorizer
    handler.banner = "brenvik test server"
    for name, value in tls.items():
        setattr(handler, name, value)
    return FTPServer(("127.0.0.1", 0), handler)


def main():
    config = json.loads(sys.stdin.read())
    plain = make_server(FTPHandler, config)
    secure = make_server(TLS_FTPHandler, config,
                         certfile=config["certificate"], keyfile=config["key"],
                         tls_control_required=True, tls_data_required=True,
                         dtp_handler=CurlFriendlyTLSDTPHandler)
    crafted = make_server(CraftedListingHandler, config)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    ports = [server.socket.getsockname()[1] for server in (plain, secure, crafted)]
    print("READY %d %d %d" % tuple(ports), flush=True)
    # The three servers share one event loop.
    plain.serve_forever(handle_exit=False)


if __name__ == "__main__":
    main()
