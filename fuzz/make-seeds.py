#!/usr/bin/env python3
"""Builds the kept seed corpora of the fuzz targets from real files and captures.

Usage: fuzz/make-seeds.py BUILD_DIR   (a default build: korvex-cli and korvex-sim)

Data files come from `korvex-cli run ... --save` on the simulated instrument, captures from
korvex-sim over its pseudo-terminal (the bytes after the handshake answer, as `replay` reads
them), configuration files from the default file and hand-edited variants, and the link
target's scripts from a few complete and broken exchanges.
"""
import os, subprocess, sys, termios, time, tty, select, struct, tempfile

build = sys.argv[1]
here = os.path.dirname(os.path.abspath(__file__))
cli = os.path.join(build, "tools/cli/korvex-cli")
sim = os.path.join(build, "tools/sim/korvex-sim")


def out(target, name, data):
    d = os.path.join(here, "corpus", target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, name), "wb") as f:
        f.write(data)


# Data files: one per kind, and the same record cut down to the two older versions' tags.
with tempfile.TemporaryDirectory() as tmp:
    for kind in ["input", "comprehensive", "start", "energy"]:
        path = os.path.join(tmp, kind + ".kvx")
        subprocess.run([cli, "run", kind, "--port", "sim", "--save", path], check=True, stdout=subprocess.DEVNULL)
        data = open(path, "rb").read()
        out("FuzzDataFile", kind + ".kvx", data)
    out("FuzzDataFile", "v31-prefix.kvx", b"KORVEX-3.1" + data[10:23089])
    out("FuzzDataFile", "v30-prefix.kvx", b"KORVEX-3.0" + data[10:11037])

# Configuration files.
default = ("\r\n[Port]\r\nCOM1\r\n[Chinese]\r\n1\r\n[WideFreq]\r\n0\r\n[ThdType]\r\n0\r\n[QPara]\r\n7.0\r\n"
           "[PPara]\r\n9.0\r\n[FPara]\r\n1.5\r\n[Name]\r\n\r\n[No]\r\n1\r\n[Type]\r\n\r\n[Spec]\r\n\r\n"
           "[Tempture]\r\n25\r\n[Humidity]\r\n75\r\n[Manuf]\r\nTarvane\r\n[Operator]\r\n\r\n[ColorTemp]\r\n\r\n"
           "[Liumin]\r\n\r\n[End]\r\n").encode()
out("FuzzConfiguration", "default.cfg", default)
out("FuzzConfiguration", "edited.cfg", default.replace(b"7.0", b"3.5e38").replace(b"COM1", b"COM12345678")
    .replace(b"[Name]\r\n", "[Name]\r\n电子镇流器[No]".encode("gbk") + b"\r\n"))
out("FuzzConfiguration", "lf-only.cfg", default.replace(b"\r\n", b"\n"))

# Captures from korvex-sim: the first byte picks the kind as FuzzCapture reads it.
commands = {1: (b"0", [512, 512, 40]), 3: (b"1", [64, 300, 300, 300, 300]),
            4: (b"2", [512, 512, 104, 300, 300, 300, 300]), 5: (b"3", [600, 600, 600, 600, 37]),
            6: (b"5", [1, 2000, 2000, 2000, 18])}
proc = subprocess.Popen([sim], stdout=subprocess.PIPE)
pty = proc.stdout.readline().decode().strip()
fd = os.open(pty, os.O_RDWR | os.O_NOCTTY)
tty.setraw(fd)


def read_exact(n):
    data = b""
    while len(data) < n:
        r, _, _ = select.select([fd], [], [], 5)
        if not r:
            raise SystemExit("korvex-sim did not answer")
        data += os.read(fd, n - len(data))
    return data


for kind, (cmd, sizes) in commands.items():
    os.write(fd, b"?")
    read_exact(1)
    os.write(fd, cmd)
    capture = b""
    for k, n in enumerate(sizes):
        capture += read_exact(n)
        if k + 1 < len(sizes) and not (kind == 6 and k == 0):
            os.write(fd, b"!")
    out("FuzzCapture", "kind%d.cap" % kind, bytes([kind - 1]) + capture)
    if kind == 1:
        inputCapture = capture
os.close(fd)
proc.terminate()
proc.wait()

# Link scripts: op 3 starts a test, op 0 delivers a short chunk, op 1 a filled block, op 2
# lets time pass, op 4 is Timer1, op 5 a hang-up (see FuzzLink.cpp).
def chunks(data):
    s = b""
    for i in range(0, len(data), 256):
        part = data[i:i + 256]
        s += bytes([0, len(part) - 1]) + part
    return s

out("FuzzLink", "input-complete", bytes([3, 0]) + chunks(b"K" + inputCapture) + bytes([4]))
out("FuzzLink", "input-stall", bytes([3, 0]) + chunks(b"K" + inputCapture[:700]) + bytes([2, 101, 2, 1, 4]))
out("FuzzLink", "silent-retry", bytes([3, 1, 2, 50, 2, 1, 4]) + chunks(b"K") + bytes([1, 32, 7, 1, 32, 7, 0, 39]) + b"x" * 40)
out("FuzzLink", "energy-badack", bytes([3, 5]) + chunks(b"KX") + bytes([4]) + chunks(b"K!") + bytes([1, 125, 1]))
out("FuzzLink", "hangup-midblock", bytes([3, 3]) + chunks(b"K" + b"\x01" * 100) + bytes([5, 1, 4, 8]))
print("seeds written to", os.path.join(here, "corpus"))
