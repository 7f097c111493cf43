"""A real FTP server for the FTP probe tests, on 127.0.0.1.

Usage: ftp_server.py anonymous|refusing HOME
Binds port 0 and prints the bound port on one line once it listens; runs until killed.
"anonymous" lets the anonymous user log in; "refusing" knows no user at all, so every
login fails after PASS.
"""

import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    mode, home = sys.argv[1], sys.argv[2]
    authorizer = DummyAuthorizer()
    if mode == "anonymous":
        authorizer.add_anonymous(home)
    handler = FTPHandler
    handler.authorizer = authorizer
    # A refused login answers at once: the default three-second delay would only slow the test.
    handler.auth_failed_timeout = 0
    server = FTPServer(("127.0.0.1", 0), handler)
    print(server.address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
