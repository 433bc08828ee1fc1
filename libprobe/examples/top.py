"""The five busiest processes, once a second, through corvprobe and ctypes.

    python3 top.py [path of the library] [rounds]

Without a path (or with an empty one) it loads libcorvprobe.so.1 (Linux)
or corvprobe.dll (Windows).

On 32-bit Windows the functions are cdecl, which is what ctypes.CDLL calls.
"""
import ctypes
import sys
import time


def load(path=None):
    if not path:
        path = "corvprobe.dll" if sys.platform == "win32" else "libcorvprobe.so.1"
    lib = ctypes.CDLL(path)
    i32 = ctypes.c_int32
    for name in ("cvplist", "cvcpu", "cvram", "cvusedram"):
        getattr(lib, name).argtypes, getattr(lib, name).restype = [], i32
    for name in ("cvpid", "cvpram", "cvpcpu", "cvpkill"):
        getattr(lib, name).argtypes, getattr(lib, name).restype = [i32], i32
    lib.cvpnam.argtypes, lib.cvpnam.restype = [i32], ctypes.c_char_p
    lib.cvclock.argtypes, lib.cvclock.restype = [], ctypes.c_float
    lib.cvsleep.argtypes, lib.cvsleep.restype = [i32, i32], i32
    return lib


def main():
    lib = load(sys.argv[1] if len(sys.argv) > 1 else None)
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    print(f"{lib.cvram()} KB memory, {lib.cvclock():.2f} GHz")
    lib.cvcpu()
    n = lib.cvplist()
    for i in range(1, n + 1):
        lib.cvpcpu(i)  # measure each process from its start once
    for _ in range(rounds):
        time.sleep(1.0)
        load_now = lib.cvcpu()
        n = lib.cvplist()
        rows = [(lib.cvpcpu(i), lib.cvpid(i), lib.cvpnam(i).decode("cp1252"), lib.cvpram(i))
                for i in range(1, n + 1)]
        rows.sort(reverse=True)
        print(f"load {load_now} %, {lib.cvusedram()} KB used")
        for share, pid, name, kb in rows[:5]:
            print(f"  {pid:7d} {name:29s} {share:4d} % {kb:9d} KB")


if __name__ == "__main__":
    main()
