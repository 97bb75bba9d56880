#!/usr/bin/env python3
"""Large seed inputs for a libFuzzer target: python3 fuzz/seeds.py NAME DIR

libFuzzer grows its inputs a few bytes at a time, so a run of minutes never gets near a
document or a picture of real size. These seeds of about 1 MB give the mutator inputs of that
size to work from; they are made afresh for each run and not kept."""
import os
import random
import struct
import sys

MB = 1 << 20
rnd = random.Random(35)


def fill(unit, size=MB):
    """`unit(i)` repeated until the text reaches `size` bytes."""
    out, n, i = [], 0, 0
    while n < size:
        s = unit(i)
        out.append(s)
        n += len(s)
        i += 1
    return "".join(out)


def record():
    yield "mixed", fill(lambda i: 'r%d(%d,-%d,%d.5e%d,"a \\"q\\" \\\\ \\x41\\t",[1,[2,[3,"x"]],[]],"")\r\n'
                        % (i % 50, i, i * 7, i, i % 300))
    yield "one_record", "many(" + ",".join(str(i % 10) for i in range(MB // 2)) + ")\r\n"
    yield "deep_and_long", "d(" + "[" * 32 + "1" + "]" * 32 + ")\n" + 's("' + "ab\\n\\x7f" * (MB // 8) + '")\n'


def document():
    def obj(i):
        text = '\x0bsee %d\x0efield\x0f' % i if i % 3 == 0 else "line\\r\\nnext"
        return 'j_(%d,"Idea %d",%d,%d,%d,%d,%d,161,15,1,0,0,"%s")\r\n' % (
            i % 65535 + 1, i, i % 4 + 1, i * 300 % 60000 - 30000, i * 200 % 40000, i % 32, i % 40, text)
    head = "p_(350,20110)\r\np_(21,50)\r\nq_(1,\"title\")\r\n"
    others = fill(lambda i: [
        'b_(%d,%d,0,%d,%d,0,"%d days")\r\n' % (i % 9000 + 1, (i * 7) % 9000 + 1, i % 4 * 256, i % 3, i),
        's_(%d,%d,1,%d,0,%d,%d,%d,%d)\r\n' % (i % 500 + 1, i % 12, i % 256, i, i, i + 50, i + 40),
        'f_(%d,"%d.5")\r\nc_(%d,%d)\r\nxy_(1,1,%d,%d,255)\r\n' % (i % 9000 + 1, i, i % 9000 + 1, i % 7, i, -i),
        'obj_seq_(%d,%d,"")\r\ndrop_text_(%d,"dropped")\r\n' % (i % 9000 + 1, i, i % 9000 + 1),
        'x_(%d,"kept",[1,2.5])\r\nzz_(%d,%d,%d,%d)\r\nq_(%d,"t")\r\np_(%d,%d)\r\n' % (i, i, i, i, i, i, i, i),
        'bin_(%d,1,"pic%d.bmp",3,4,"%s")\r\n' % (i % 9000 + 1, i, "\\x00\\x01BM" * 20),
    ][i % 6], MB // 2)
    yield "whole", head + fill(obj, MB // 2) + others
    yield "unknown_values", head + fill(lambda i: "u_(" + ",".join(["0"] * 200) + ")\r\n")
    yield "long_text", head + 'j_(1,"big",1,0,0,0,1,161,15,1,0,0,"' + "word \\x0bf\\x0eh\\x0f " * (MB // 24) + '")\r\n'


def expression():
    parts = [
        ["1+" * (MB // 4) + "1", "=a*2", "", "", "", "", "", ""],
        ["(" * (MB // 4) + "1" + ")" * (MB // 4), "=b+1", "=c", "=a", "1 day", "", "", ""],
        ["sum(" + ",".join(["Xpos", "1.5", "=b"] * 40000) + ")", "=a+c", "=b+d", "=c+a",
         "12 days", "3", "4 weeks", "x" * 100000],
    ]
    for k, p in enumerate(parts):
        yield "big%d" % k, "\0".join(p)


def text():
    body = "".join("word%d \x0bname%d\x0ehidden\x0f\r\n" % (i, i) if i % 5 == 0 else "plain text %d " % i
                   for i in range(MB // 20))
    ops = bytes(rnd.randrange(256) for _ in range(512))
    yield "big", b"\xff" + body.encode() + ops


def http():
    yield "chunks", b"\x07HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + b"1\r\nx\r\n" * (MB // 6) + b"0\r\n\r\n"
    yield "headers", b"\x40HTTP/1.0 200 OK\r\n" + b"X-Long: value\r\n" * (MB // 15) + b"Content-Length: 2\r\n\r\nok"
    yield "body", b"\xffHTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n" % MB + b"b" * MB
    yield "location", b"\x10HTTP/1.1 302 Found\r\nLocation: " + b"../d/" * (MB // 5) + b"a.vrn\r\n\r\n"


def bmp_file(w, h, bpp, compression, pixels, colours=0, masks=b""):
    table = b"".join(struct.pack("<BBBB", i, 255 - i, i // 2, 0) for i in range(colours))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bpp, compression, len(pixels), 2835, 2835, colours, 0)
    off = 14 + len(info) + len(masks) + len(table)
    return b"BM" + struct.pack("<IHHI", off + len(pixels), 0, 0, off) + info + masks + table + pixels


def bmp():
    w = 600
    stride = (w * 3 + 3) // 4 * 4
    yield "rgb24", bmp_file(w, 580, 24, 0, bytes(rnd.randrange(256) for _ in range(stride * 580)))
    rle = bytearray()
    for y in range(3000):
        for _ in range(10):
            rle += bytes([rnd.randrange(1, 128), rnd.randrange(256)])
        rle += bytes([0, 254]) + bytes(rnd.randrange(256) for _ in range(254))  # an absolute run
        rle += b"\x00\x00"
    rle += b"\x00\x01"
    yield "rle8", bmp_file(1000, 3000, 8, 1, bytes(rle), 256)
    rle4 = bytearray()
    for y in range(3000):
        rle4 += bytes([rnd.randrange(1, 255), rnd.randrange(256)] * 5)
        rle4 += bytes([0, 250]) + bytes(rnd.randrange(256) for _ in range(126)) + b"\x00\x00"
    yield "rle4", bmp_file(1000, 3000, 4, 2, bytes(rle4 + b"\x00\x01"), 16)
    masks = struct.pack("<III", 0xF800, 0x07E0, 0x001F)
    yield "bitfields16", bmp_file(1000, 520, 16, 3, bytes(rnd.randrange(256) for _ in range(2000 * 520)), 0, masks)


def pcx_file(w, h, bpp, planes, bpl, data, palette=b""):
    head = struct.pack("<BBBBHHHHHH", 10, 5, 1, bpp, 0, 0, w - 1, h - 1, 72, 72)
    head += bytes(range(48)) + b"\x00" + bytes([planes]) + struct.pack("<HH", bpl, 1)
    return head + b"\x00" * (128 - len(head)) + data + palette


def pcx_rle(rows):
    out = bytearray()
    for row in rows:
        k = 0
        while k < len(row):
            n = 1
            while k + n < len(row) and n < 63 and row[k + n] == row[k]:
                n += 1
            if n > 1 or row[k] >= 0xC0:
                out += bytes([0xC0 | n, row[k]])
            else:
                out.append(row[k])
            k += n
    return bytes(out)


def pcx():
    w, h = 1024, 990
    rows = [bytes(rnd.choice((y % 256, rnd.randrange(256))) for _ in range(w)) for y in range(h)]
    pal = b"\x0c" + bytes(rnd.randrange(256) for _ in range(768))
    yield "pal8", pcx_file(w, h, 8, 1, w, pcx_rle(rows), pal)
    w, h = 500, 500
    rows = [bytes(rnd.randrange(256) for _ in range(w)) for _ in range(h * 3)]
    yield "rgb24", pcx_file(w, h, 8, 3, w, pcx_rle(rows))
    w, h = 2000, 800
    rows = [bytes(rnd.randrange(256) for _ in range(w // 8)) for _ in range(h * 4)]
    yield "ega16", pcx_file(w, h, 1, 4, w // 8, pcx_rle(rows))


def main():
    name, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    for seed, data in globals()[name]():
        with open(os.path.join(out, "large_" + seed), "wb") as f:
            f.write(data.encode("latin-1") if isinstance(data, str) else data)


if __name__ == "__main__":
    main()
