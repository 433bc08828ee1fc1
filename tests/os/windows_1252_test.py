#!/usr/bin/env python3
"""The program's Windows-1252 table (os/windows_1252.cpp), all 256 entries,
against Python's own cp1252 codec. The five bytes the codec leaves
undefined must hold the C1 control of the same number.

    windows_1252_test.py DUMP [RUNNER...]     (RUNNER: e.g. the Wine wrapper)

Exit 0 when every entry agrees, 1 otherwise; 77 when DUMP cannot run here.
"""
import subprocess
import sys


def main():
    command = sys.argv[2:] + [sys.argv[1]]
    run = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
    if run.returncode == 77:
        sys.stdout.write(run.stdout.decode(errors="replace") + run.stderr.decode(errors="replace"))
        return 77
    if run.returncode != 0:
        print("FAILED: the table's dump exited with %d: %s" % (run.returncode, run.stderr.decode(errors="replace")))
        return 1
    table = {}
    for line in run.stdout.decode("ascii").splitlines():
        byte, character = line.split()
        table[int(byte, 16)] = int(character, 16)
    if sorted(table) != list(range(256)):
        print("FAILED: the dump does not hold each of the 256 bytes once")
        return 1
    failures = 0
    undefined = []
    for b in range(256):
        try:
            expected = ord(bytes([b]).decode("cp1252"))
        except UnicodeDecodeError:
            undefined.append(b)
            expected = b
        if table[b] != expected:
            print("FAILED: byte 0x%02X is U+%04X in the table, U+%04X expected" % (b, table[b], expected))
            failures += 1
    if undefined != [0x81, 0x8D, 0x8F, 0x90, 0x9D]:
        print("FAILED: the codec leaves other bytes undefined than expected: %s" % [hex(b) for b in undefined])
        failures += 1
    print("%d bytes checked, %d of them defined by the codec, %d failures" % (256, 256 - len(undefined), failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
