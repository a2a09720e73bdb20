#!/usr/bin/env python3
# Types keys into an interactive shell through a pseudo-terminal, as a user
# would, and writes all the shell wrote back to standard output.
#
# Usage: keys.py COMMAND... < KEYS
# Each line of KEYS is typed in turn (\t is TAB, \r Enter, \xHH any byte,
# such as \x01 for Ctrl-A; other backslashes are typed); after a line the
# driver waits until the shell has been quiet for a moment, so that a
# completion has finished before more is typed.
import os, pty, re, select, signal, sys, time


# Reads until nothing came for `rest` seconds; False once the shell ended.
def quiet(fd, out, rest=0.4, most=15.0):
    end = time.time() + most
    while time.time() < end:
        if not select.select([fd], [], [], rest)[0]:
            return True
        try:
            data = os.read(fd, 4096)
        except OSError:
            data = b""
        if not data:
            return False
        out.extend(data)
    return True


def main():
    pid, fd = pty.fork()
    if pid == 0:
        os.execvp(sys.argv[1], sys.argv[1:])
    out = bytearray()
    quiet(fd, out, rest=1.0)
    for line in sys.stdin.read().splitlines():
        keys = re.sub(r"\\(t|r|x[0-9a-fA-F]{2})",
                      lambda m: {"t": "\t", "r": "\r"}.get(m[1]) or chr(int(m[1][1:], 16)), line)
        os.write(fd, keys.encode())
        if not quiet(fd, out):
            break
    os.write(fd, b"\x04")
    quiet(fd, out, rest=0.2, most=2.0)
    os.kill(pid, signal.SIGKILL)  # a shell left waiting for more ends here
    os.waitpid(pid, 0)
    sys.stdout.buffer.write(bytes(out))


main()
