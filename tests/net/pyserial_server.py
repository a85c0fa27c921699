# pyserial's own RFC 2217 server example, as Debian ships it, in front of a pseudo-terminal:
# it listens on loopback only, and the terminal's missing modem lines read as off.
import runpy
import socket
import sys

import serial.serialposix as sp

_bind = socket.socket.bind


def bind(self, address):
    return _bind(self, ('127.0.0.1' if address[0] == '' else address[0], address[1]))


socket.socket.bind = bind
sp.Serial._update_dtr_state = lambda self: None
sp.Serial._update_rts_state = lambda self: None
for name in ('cts', 'dsr', 'ri', 'cd'):
    setattr(sp.Serial, name, property(lambda self: False))
sys.argv = ['rfc2217_server.py'] + sys.argv[1:]
runpy.run_path('/usr/share/doc/python3-serial/examples/rfc2217_server.py', run_name='__main__')
