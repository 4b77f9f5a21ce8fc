#!/usr/bin/env python3
"""Pins what wixl leaves to chance in an MSI's summary information: the package code (wixl
draws a random one whatever the source says) and the creation and last-saved times (wixl takes
the clock's), which would make two builds of one commit differ.

    pin-summary.py MSI PACKAGE-CODE EPOCH

The MSI is an OLE compound file; the summary information is its stream "\\x05SummaryInformation",
a property set. Every value replaced has the length of the one it replaces, so the values are
overwritten where they lie in the file and nothing else of it changes. Run before signing: the
signature covers the stream."""
import struct
import sys

PID_REVNUMBER, PID_CREATE_DTM, PID_LASTSAVE_DTM = 9, 12, 13
VT_LPSTR, VT_FILETIME = 30, 64
END_OF_CHAIN = 0xFFFFFFFE


def fail(message):
    sys.exit(f"pin-summary: {message}")


class CompoundFile:
    def __init__(self, data):
        if data[:8] != bytes.fromhex("d0cf11e0a1b11ae1"):
            fail("not an OLE compound file")
        self.data = data
        self.sector = 1 << struct.unpack_from("<H", data, 0x1E)[0]
        self.mini_sector = 1 << struct.unpack_from("<H", data, 0x20)[0]
        (self.mini_cutoff,) = struct.unpack_from("<I", data, 0x38)
        first_dir, = struct.unpack_from("<I", data, 0x30)
        first_minifat, = struct.unpack_from("<I", data, 0x3C)
        first_difat, difat_count = struct.unpack_from("<II", data, 0x44)
        # The FAT's sectors: 109 in the header, the rest in a chain of DIFAT sectors.
        fat_sectors = list(struct.unpack_from("<109I", data, 0x4C))
        next_difat = first_difat
        for _ in range(difat_count):
            entries = struct.unpack_from(f"<{self.sector // 4}I", data, self.offset(next_difat))
            fat_sectors += entries[:-1]
            next_difat = entries[-1]
        self.fat = []
        for s in fat_sectors:
            if s < 0xFFFFFFFA:
                self.fat += struct.unpack_from(f"<{self.sector // 4}I", data, self.offset(s))
        self.minifat = []
        for s in self.chain(first_minifat):
            self.minifat += struct.unpack_from(f"<{self.sector // 4}I", data, self.offset(s))
        self.entries = []
        for s in self.chain(first_dir):
            for i in range(self.sector // 128):
                self.entries.append(data[self.offset(s) + 128 * i:self.offset(s) + 128 * (i + 1)])
        # The root entry's stream is the mini stream, which holds every stream below the cutoff.
        self.mini_stream = list(self.chain(struct.unpack_from("<I", self.entries[0], 0x74)[0]))

    def offset(self, sector):
        return (sector + 1) * self.sector

    def chain(self, first):
        seen = set()
        s = first
        while s != END_OF_CHAIN:
            if s in seen or s >= len(self.fat):
                fail("broken sector chain")
            seen.add(s)
            yield s
            s = self.fat[s]

    def stream_offsets(self, name):
        """The file offset of each byte of the stream NAME, in order."""
        for e in self.entries:
            length, = struct.unpack_from("<H", e, 0x40)
            if e[0x42] == 2 and e[:max(length - 2, 0)].decode("utf-16-le") == name:
                start, size = struct.unpack_from("<IQ", e, 0x74)
                break
        else:
            fail(f"no stream {name!r}")
        offsets = []
        if size < self.mini_cutoff:
            per_sector = self.sector // self.mini_sector
            m = start
            while m != END_OF_CHAIN and len(offsets) < size:
                big = self.mini_stream[m // per_sector]
                base = self.offset(big) + (m % per_sector) * self.mini_sector
                offsets += range(base, base + self.mini_sector)
                m = self.minifat[m]
        else:
            for s in self.chain(start):
                offsets += range(self.offset(s), self.offset(s) + self.sector)
        if len(offsets) < size:
            fail(f"stream {name!r} is shorter than its entry says")
        return offsets[:size]


def main():
    if len(sys.argv) != 4:
        fail("usage: pin-summary.py MSI PACKAGE-CODE EPOCH")
    path, code, epoch = sys.argv[1], sys.argv[2].upper(), int(sys.argv[3])
    if not code.startswith("{"):
        code = "{" + code + "}"
    with open(path, "rb") as f:
        data = bytearray(f.read())
    where = CompoundFile(bytes(data)).stream_offsets("\x05SummaryInformation")
    stream = bytes(data[i] for i in where)

    def put(at, value):
        for i, b in enumerate(value):
            data[where[at + i]] = b

    # The property set: its header, one section (format id, offset), the section's size and
    # property count, then (id, offset) pairs; each value is a type and its data.
    section, = struct.unpack_from("<I", stream, 44)
    _, count = struct.unpack_from("<II", stream, section)
    properties = dict(struct.unpack_from("<II", stream, section + 8 + 8 * i) for i in range(count))
    # A FILETIME counts 100 ns steps since 1601-01-01 (UTC).
    filetime = struct.pack("<Q", (epoch + 11644473600) * 10_000_000)
    for pid, wanted in ((PID_REVNUMBER, VT_LPSTR), (PID_CREATE_DTM, VT_FILETIME),
                        (PID_LASTSAVE_DTM, VT_FILETIME)):
        if pid not in properties:
            fail(f"the summary information has no property {pid}")
        at = section + properties[pid]
        vt, = struct.unpack_from("<I", stream, at)
        if vt != wanted:
            fail(f"property {pid} has type {vt}, not {wanted}")
        if vt == VT_FILETIME:
            put(at + 4, filetime)
        else:
            length, = struct.unpack_from("<I", stream, at + 4)
            value = code.encode("ascii") + b"\0"
            if length != len(value):
                fail(f"the package code in the file has {length} bytes, not {len(value)}")
            put(at + 8, value)
    with open(path, "wb") as f:
        f.write(data)


main()
