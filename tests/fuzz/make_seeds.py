#!/usr/bin/env python3
"""Writes the hand-made seeds of the fuzz corpora (corpus/<target>/seed-*):
inputs of the shapes that matter, laid out as each target reads its input.
Run from anywhere; rewrites only the seed-* files."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    directory = os.path.join(HERE, "corpus", target)
    os.makedirs(directory, exist_ok=True)
    with open(os.path.join(directory, "seed-" + name), "wb") as f:
        f.write(data)


def below(value, bound):
    """The bytes FuzzInput.Below(bound) reads as value."""
    return bytes([value]) if bound <= 256 else struct.pack(">H", value)


def text(value, max_length):
    return below(len(value), max_length + 1) + value


# ---- wininit: options, operation, occurrence, persists, disk space,
# directory, file name, old file.
OPS = ["GetTempFileNameA", "GetFileAttributesA", "CreateFileA", "ReadFile", "WriteFile", "CloseHandle", "MoveFileA",
       "DeleteFileA", "HeapAlloc"]
NO_WININIT, READ_ONLY, DISK_LIMIT, FAILURE = 1, 2, 4, 8


def wininit(name, old, options=0, op="CreateFileA", occurrence=1, persists=False, disk=0,
            directory=b"C:\\WINDOWS\\SYSTEM\\", file_name=b"VANTRELL.CPL"):
    data = bytes([options]) + below(OPS.index(op), len(OPS)) + below(occurrence - 1, 64)
    data += bytes([1 if persists else 0]) + below(disk, 4096)
    data += text(directory, 300) + text(file_name, 40) + old
    write("wininit", name, data)


blanks = b" " * 300
wininit("absent", b"", options=NO_WININIT)
wininit("empty", b"")
wininit("rename-last", b"[boot]\r\nshell=x\r\n[rename]\r\nNUL=C:\\OLD.TXT\r\n")
wininit("no-rename", b"[boot]\r\nshell=x\r\n")
wininit("rename-not-last", b"[rename]\r\nNUL=C:\\OLD.TXT\r\n[boot]\r\nshell=x\r\n")
wininit("two-renames", b"[rename]\r\nNUL=a\r\n[boot]\r\n[rename]\r\nNUL=b\r\n")
wininit("indented-header", b"  \t[Rename]\r\nNUL=a\r\n")
wininit("renamed-is-other", b"[renamed]\r\nx=1\r\n")
wininit("no-line-end", b"[boot]\r\nshell=x")
wininit("long-line", b"[rename]\r\n; " + b"x" * 600 + b"\r\n[boot]\r\n")
wininit("bracket-at-255", b"[rename]\r\n" + b"y" * 254 + b"[boot]\r\nNUL=a\r\n")
wininit("lf-only", b"[rename]\nNUL=a\n[boot]\nx=1\n")
wininit("ctrl-z", b"[boot]\r\n\x1a[rename]\r\nNUL=b\r\n")
wininit("ctrl-z-in-line", b"[rename]\r\nNUL=a\x1a")
wininit("zero-byte", b"[boot]\r\nx=\x00y\r\n")
wininit("blanks-before-header", b"[rename]\r\nNUL=a\r\n" + blanks + b"[boot]\r\nx=1\r\n")
wininit("blanks-before-rename", b"[boot]\r\n" + b"\t" * 250 + b"[rename]\r\nNUL=a\r\n")
wininit("blank-line-run", b"[rename]\r\nNUL=a\r\n" + b" " * 246 + b"\r\n")
wininit("path-with-line-end", b"[rename]\r\n", directory=b"C:\\A\r\n[boot]\r\n", file_name=b"X")
wininit("path-with-ctrl-z", b"[rename]\r\n", directory=b"C:\\\x1a", file_name=b"X")
wininit("path-too-long", b"[rename]\r\n", directory=b"C:\\" + b"d" * 250 + b"\\")
wininit("path-just-fits", b"[rename]\r\n", directory=b"C:\\" + b"d" * 243 + b"\\")
wininit("read-only", b"[rename]\r\n", options=READ_ONLY)
# The disk fills while the new file is written, and it cannot be deleted:
# it stays, cut short, and the absent wininit.ini stays absent.
wininit("new-file-cut-and-kept", b"", options=NO_WININIT | DISK_LIMIT | FAILURE, op="DeleteFileA", disk=13,
        directory=b"", file_name=b"")
large = b"[boot]\r\n" + b"".join(b"setting%d=some value\r\n" % i for i in range(300)) + b"[rename]\r\nNUL=x\r\n"
wininit("disk-full", large, options=DISK_LIMIT, disk=4000)
for op, occurrence, persists in [("GetTempFileNameA", 2, False), ("CreateFileA", 2, False), ("HeapAlloc", 2, False),
                                 ("WriteFile", 1, False), ("CloseHandle", 1, True), ("MoveFileA", 2, True),
                                 ("MoveFileA", 1, False), ("DeleteFileA", 1, False), ("DeleteFileA", 1, True),
                                 ("DeleteFileA", 2, False), ("GetFileAttributesA", 1, False), ("ReadFile", 1, False)]:
    wininit("fail-%s-%d%s" % (op, occurrence, "-on" if persists else ""),
            large if op == "HeapAlloc" else b"[rename]\r\nNUL=a\r\n\x1atail",
            options=FAILURE, op=op, occurrence=min(occurrence, 64), persists=persists)

# ---- paths: selector, then the helper's arguments (see paths_fuzz.cpp).
COPY, APPEND, COMPOSE, EQUALS, BACKSLASH, DIRECTORY, LAUNCH, TAIL, RECORD, GUARD, LOCALIZATION, REG_READ = range(12)


def paths(name, data):
    write("paths", name, data)


long_text = b"p" * 270
paths("copy-fits", bytes([COPY]) + below(20, 300) + text(b"C:\\WINDOWS\\", 300) + b"\0\0\0\0")
paths("copy-cut", bytes([COPY]) + below(8, 300) + text(b"C:\\WINDOWS\\SYSTEM\\", 300) + b"\0\0\0\0" + b"s" * 8)
paths("copy-zero-size", bytes([COPY]) + below(0, 300) + text(b"abc", 300))
paths("append-unterminated", bytes([APPEND]) + below(16, 300) + below(16, 17) + text(b"more", 300) + b"u" * 16)
paths("append-fits", bytes([APPEND]) + below(32, 300) + below(5, 33) + text(b"tail", 300) + b"head!" + b"x" * 27)
paths("append-exact", bytes([APPEND]) + below(10, 300) + below(5, 11) + text(b"abcd", 300) + b"head!" + b"x" * 5)
paths("compose-long", bytes([COMPOSE]) + below(260, 300) + text(long_text, 300) + text(b"\\", 300)
      + text(b"wininit.ini", 300) + b"\1")
paths("compose-two", bytes([COMPOSE]) + below(40, 300) + text(b"NUL=", 300) + text(b"C:\\X", 300) + text(b"", 300) + b"\0")
paths("equals", bytes([EQUALS]) + text(b"-norename", 100) + b"\0" + b"\1\0\1\0\1")
paths("equals-differ", bytes([EQUALS]) + text(b"-norename", 100) + b"\1" + text(b"-NORENAME ", 100))
paths("backslash-add", bytes([BACKSLASH]) + below(260, 300) + below(10, 261) + b"C:\\WINDOWS" + b"\0" * 250 + b"\0")
paths("backslash-full", bytes([BACKSLASH]) + below(260, 300) + below(259, 261) + b"a" * 260 + b"\0")
paths("backslash-unterminated", bytes([BACKSLASH]) + below(8, 300) + below(8, 9) + b"abcdefgh")
paths("backslash-empty", bytes([BACKSLASH]) + below(8, 300) + below(0, 9) + b"\0" * 8)
paths("directory", bytes([DIRECTORY]) + below(260, 300) + text(b"C:\\PROGRA~1\\VANT\\UNINSTAL.EXE", 400))
paths("directory-tight", bytes([DIRECTORY]) + below(17, 300) + text(b"C:\\PROGRA~1\\VANT\\UNINSTAL.EXE", 400))
paths("directory-none", bytes([DIRECTORY]) + below(4, 300) + text(b"UNINSTAL.EXE", 400))
paths("launch", bytes([LAUNCH]) + text(b"C:\\VANT\\", 300) + text(b"CONFIG.EXE", 300) + text(b"-cpl", 300) + b"\0")
paths("launch-255", bytes([LAUNCH]) + text(b"C:\\" + b"v" * 200 + b"\\", 300) + text(b"CONFIG.EXE", 300)
      + text(b"a" * 39, 300) + b"\0")
paths("launch-256", bytes([LAUNCH]) + text(b"C:\\" + b"v" * 200 + b"\\", 300) + text(b"CONFIG.EXE", 300)
      + text(b"a" * 40, 300) + b"\0")
paths("launch-fails", bytes([LAUNCH]) + text(b"C:\\VANT\\", 300) + text(b"X.EXE", 300) + text(b"", 300) + b"\1")
paths("tail-quoted", bytes([TAIL, 0]) + text(b"\"C:\\Program Files\\Vantrell\\uninstal.exe\"  -norename", 400))
paths("tail-plain", bytes([TAIL, 0]) + text(b"  \tUNINSTAL.EXE\t-norename  ", 400))
paths("tail-unclosed", bytes([TAIL, 0]) + text(b"\"C:\\Program Files -norename", 400))
paths("tail-null", bytes([TAIL, 0xFF]))
paths("record", bytes([RECORD, 0, 0]) + text(b"C:\\WINDOWS", 300) + text(b"C:\\WINDOWS\\SYSTEM", 300)
      + text(b"C:\\Program Files\\Vantrell\\UNINSTAL.EXE", 300) + text(b"C:\\PROGRA~1\\VANTRE~1", 300) + b"\1")
paths("record-nt", bytes([RECORD, 0, 1]) + text(b"C:\\WINNT\\", 300) + text(b"C:\\WINNT\\SYSTEM32", 300)
      + text(b"D:\\V\\U.EXE", 300) + text(b"", 300) + b"\1")
paths("record-259", bytes([RECORD, 0, 0]) + text(b"C:\\" + b"w" * 256, 300) + text(b"C:\\" + b"s" * 255 + b"\\", 300)
      + text(b"C:\\" + b"m" * 250 + b"\\U.EXE", 300) + text(b"C:\\" + b"q" * 256, 300) + b"\1")
paths("record-failures", bytes([RECORD, 15, 0]) + text(b"C:\\WINDOWS", 300) + text(b"C:\\WINDOWS\\SYSTEM", 300)
      + text(b"C:\\V\\U.EXE", 300) + text(b"", 300) + b"\0")
paths("record-short-259", bytes([RECORD, 0, 0]) + text(b"C:\\W", 300) + text(b"C:\\S", 300)
      + text(b"C:\\Vantrell\\U.EXE", 300) + text(b"C:\\" + b"z" * 256, 300) + b"\1")


def guard(name, fields, marks, short_of=0, short_form=b""):
    data = bytes([GUARD])
    for parts, extra in fields:
        data += bytes([len(parts)]) + bytes(parts)
        data += (b"\1" + text(extra, 300)) if extra is not None else b"\0"
    data += bytes([marks]) + bytes([short_of]) + text(short_form, 300)
    paths(name, data)


# parts: 0 C:\ 1 c:\ 2 WINDOWS\ 3 windows\ 4 SYSTEM\ 5 Vantrell\ 6 \\ 7 srv\ 8 share\ 9 PROGRA~1\ 10 D:
guard("guard-removable", [([0, 2], None), ([0, 2, 4], None), ([0, 9, 5], None), ([0, 9, 5], None)], 1)
guard("guard-is-windows", [([0, 2], None), ([0, 2, 4], None), ([1, 3], None), ([1, 3], None)], 1)
guard("guard-root", [([0, 2], None), ([0, 2, 4], None), ([0], None), ([0], None)], 2)
guard("guard-share-root", [([0, 2], None), ([0, 2, 4], None), ([6, 7, 8], None), ([6, 7, 8], None)], 1)
guard("guard-no-marks", [([0, 2], None), ([0, 2, 4], None), ([0, 5], None), ([0, 5], None)], 0)
guard("guard-mark-is-directory", [([0, 2], None), ([0, 2, 4], None), ([0, 5], None), ([0, 5], None)], 4)
guard("guard-short-windows", [([0, 9], None), ([0, 9, 4], None), ([0, 5], None), ([0, 5], None)], 1 | 16 | 32, 0,
      b"C:\\Vantrell\\WIN")
guard("guard-long", [([0], b"w" * 250), ([0], b"s" * 250), ([0], b"v" * 245 + b"\\"), ([0, 5], None)], 1)

paths("localization", bytes([LOCALIZATION]) + text(b"C:\\WINDOWS\\SYSTEM\\VANTRELL.CPL", 300) + b"\1")
paths("localization-absent", bytes([LOCALIZATION]) + text(b"C:\\WINDOWS\\SYSTEM\\VANTRELL.CPL", 300) + b"\0")
paths("localization-251", bytes([LOCALIZATION]) + text(b"C:\\" + b"l" * 244 + b".CPL", 300) + b"\1")
paths("localization-252", bytes([LOCALIZATION]) + text(b"C:\\" + b"l" * 245 + b".CPL", 300) + b"\1")
paths("localization-short", bytes([LOCALIZATION]) + text(b"A.B", 300) + b"\1")

for name, shape, size, data in [("reg-read", 0, 260, b"C:\\VANT\\\0"), ("reg-read-exact", 0, 8, b"1234567\0"),
                                ("reg-read-one-over", 0, 8, b"12345678\0"), ("reg-read-unterminated", 0, 8, b"abc"),
                                ("reg-read-unterminated-full", 0, 8, b"abcdefgh"), ("reg-read-empty", 0, 1, b""),
                                ("reg-read-zero-size", 0, 0, b"a\0"), ("reg-read-no-key", 1, 260, b""),
                                ("reg-read-no-value", 2, 260, b""), ("reg-read-fails", 4, 260, b"x\0"),
                                ("reg-read-inner-zero", 0, 16, b"ab\0cd")]:
    paths(name, bytes([REG_READ, shape]) + below(size, 300) + text(data, 400) + b"s" * size)

# ---- registry: operation, target name, failures, then tree commands.
KEY_TREE, SUBTREE, ALL_VALUES = range(3)
REG_OPS = ["RegOpenKeyA", "RegEnumKeyA", "RegEnumValueA", "RegDeleteValueA", "RegDeleteKeyA"]
ERRORS = ["ACCESS_DENIED", "MORE_DATA", "NO_MORE_ITEMS", "KEY_DELETED", "INVALID_HANDLE", "FILE_NOT_FOUND"]
NAMES = ["A", "a", "B", "Sub", "SUB", "Display", "Modes", "x y", "Target", "", "\xe9t\xe9"]
CREATE, SET, REFUSE_KEY, REFUSE_VALUE = range(4)


def command(kind, path, value="A", outside=False, long_value=0):
    """path: names from NAMES, or an int n >= 250 for a long key name."""
    byte = kind | (0x80 if outside else 0) | (0x40 if long_value else 0)
    data = bytes([byte]) + below(len(path), 5)
    for part in path:
        data += bytes([part if isinstance(part, int) else NAMES.index(part)])
    data += below(NAMES.index(value), len(NAMES))
    if long_value:
        data += below(long_value - 250, 12)
    return data


def registry(name, operation, commands, target=0, failures=()):
    data = below(operation, 3) + below(target, 5) + below(len(failures), 8)
    for op, error, occurrence, persists in failures:
        data += below(REG_OPS.index(op), 5) + below(ERRORS.index(error), 6) + below(occurrence - 1, 48)
        data += bytes([1 if persists else 0])
    data += b"".join(commands)
    write("registry", name, data)


tree = [command(SET, ["Display"], "Display"), command(SET, ["Display", "Modes"], "a"),
        command(SET, ["Display", "Modes"], "B"), command(SET, ["Sub"], ""), command(SET, [], "x y"),
        command(SET, ["B", "A", "Sub"], "Modes"), command(SET, ["Display"], "A", outside=True)]
registry("tree", KEY_TREE, tree)
registry("tree-case", KEY_TREE, tree, target=1)
registry("tree-empty-name", KEY_TREE, tree, target=2)
registry("tree-path", KEY_TREE, tree + [command(SET, ["A", "B"], "a")], target=3)
registry("tree-missing", KEY_TREE, tree, target=4)
registry("subtree", SUBTREE, tree)
registry("values", ALL_VALUES, tree + [command(REFUSE_VALUE, [], "B")])
registry("refused-value-deep", KEY_TREE, tree + [command(REFUSE_VALUE, ["Display", "Modes"], "a")])
registry("refused-key-deep", KEY_TREE, tree + [command(REFUSE_KEY, ["Display", "Modes"])])
registry("refused-target", SUBTREE, tree + [command(REFUSE_KEY, [])])
registry("long-key", KEY_TREE, tree + [command(SET, ["Display", 255, "A"], "B")])
registry("long-value", KEY_TREE, tree + [command(SET, ["Display"], "A", long_value=258)])
registry("long-value-255", ALL_VALUES, tree + [command(SET, [], "A", long_value=255)])
for op, error, occurrence, persists in [("RegDeleteKeyA", "ACCESS_DENIED", 1, True),
                                        ("RegDeleteValueA", "ACCESS_DENIED", 1, True),
                                        ("RegOpenKeyA", "ACCESS_DENIED", 2, False),
                                        ("RegEnumKeyA", "MORE_DATA", 1, True),
                                        ("RegEnumValueA", "MORE_DATA", 2, True),
                                        ("RegEnumKeyA", "KEY_DELETED", 3, False),
                                        ("RegEnumValueA", "NO_MORE_ITEMS", 1, False)]:
    registry("fail-%s-%s-%d%s" % (op, error.lower(), occurrence, "-on" if persists else ""), KEY_TREE,
             tree + [command(REFUSE_VALUE, ["Sub"], "Modes")], failures=[(op, error, occurrence, persists)])
