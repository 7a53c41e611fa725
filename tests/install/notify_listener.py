#!/usr/bin/env python3
"""Stands in for the service manager's notification socket: binds a datagram socket
at PATH (open to every user, as the manager's is) and appends each notification it
receives to OUT as one line, its assignments separated by ";"."""
import os
import socket
import sys

path, out = sys.argv[1], sys.argv[2]
sock = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
sock.bind(path)
os.chmod(path, 0o777)
with open(out, "a", buffering=1) as log:
    log.write("listening\n")
    while True:
        data = sock.recv(65536)
        log.write(data.decode("utf-8", "replace").replace("\n", ";") + "\n")
