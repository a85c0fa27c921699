# pyserial's RFC 2217 client: opens the URL at a speed, sends one command and prints the
# answer in hex once it is as long as asked (or what came within the time limit).
import sys

import serial

url, baud, command, length = sys.argv[1], int(sys.argv[2]), sys.argv[3], int(sys.argv[4])
port = serial.serial_for_url(url, baudrate=baud, timeout=10)
print('baud', port.baudrate, flush=True)
port.write(command.encode('ascii') + b'\r')
answer = b''
while len(answer) < length:
    chunk = port.read(length - len(answer))
    if not chunk:
        break
    answer += chunk
print('answer', answer.hex(), flush=True)
port.close()
