#!/usr/bin/env python3
"""Checks a qemu screenshot (PNG, 8-bit RGB) of the console tests.
  checkshot.py SHOT probe WxH LEFT TOP WIDTH HEIGHT
      the console probe's picture fills the rectangle (its blocks in their colours) and the
      screen is WxH; outside the rectangle the screen shows index 0
  checkshot.py SHOT console
      the console's own colours are back: bright yellow and grey text in the top line
  checkshot.py SHOT text
      a text console in its own colours: mostly black, with characters in its grey
  checkshot.py SHOT size WxH
      the screen has that size
  checkshot.py SHOT lit
      at least 1% of the screen is not black (a scene is showing)
Prints what is wrong and exits 1, or prints 'ok ...'."""
import struct
import sys
import zlib


def read_png(path):
    data = open(path, 'rb').read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        raise SystemExit('%s: not a PNG' % path)
    pos, idat = 8, b''
    while pos < len(data):
        n, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + n]
        if kind == b'IHDR':
            w, h, depth, ctype, _, _, interlace = struct.unpack('>IIBBBBB', body)
            if (depth, ctype, interlace) != (8, 2, 0):
                raise SystemExit('only 8-bit RGB, non-interlaced PNGs')
        elif kind == b'IDAT':
            idat += body
        pos += 12 + n
    raw, stride, rows, prev = zlib.decompress(idat), w * 3, [], bytearray(w * 3)
    for y in range(h):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - 3] if i >= 3 else 0
            b, c = prev[i], prev[i - 3] if i >= 3 else 0
            if f == 1:
                line[i] = (line[i] + a) & 255
            elif f == 2:
                line[i] = (line[i] + b) & 255
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        prev = line
    return w, h, rows


def near(a, b, tolerance=12):   # 6-bit colour registers and 5-6-5 pixels lose the low bits
    return all(abs(p - q) <= tolerance for p, q in zip(a, b))


def probe_colour(i):
    return ((i * 37 + 20) % 256, (i * 91 + 50) % 256, (i * 53 + 90) % 256)


def main():
    w, h, rows = read_png(sys.argv[1])
    px = lambda x, y: tuple(rows[y][3 * x:3 * x + 3])
    what, bad = sys.argv[2], []
    if what == 'probe':
        size, (left, top, width, height) = sys.argv[3], map(int, sys.argv[4:8])
        if size != '%dx%d' % (w, h):
            bad.append('screen %dx%d, want %s' % (w, h, size))
        else:
            for by in range(12):
                for bx in range(16):
                    x = left + (bx * 20 + 10) * width // 320
                    y = top + (by * 20 + 10) * height // 240
                    want = probe_colour(bx + 16 * by)
                    if not near(px(x, y), want):
                        bad.append('block %d,%d at %d,%d is %s, want %s' % (bx, by, x, y, px(x, y), want))
            # Unused screen memory holds index 0: black, or the probe's colour 0 where the
            # palette is the device's colour map.
            for x, y in ((left - 1, top), (left, top - 1), (left + width, top), (left, top + height)):
                if 0 <= x < w and 0 <= y < h and px(x, y) != (0, 0, 0) and not near(px(x, y), probe_colour(0)):
                    bad.append('outside the picture at %d,%d: %s' % (x, y, px(x, y)))
    elif what == 'console':
        top_line = [px(x, y) for y in range(16) for x in range(w)]
        for name, want in (('yellow', (255, 255, 85)), ('grey', (170, 170, 170))):
            if not any(near(p, want, 16) for p in top_line):
                bad.append('no %s text %s in the top line' % (name, want))
    elif what == 'text':
        samples = [px(x, y) for y in range(0, h, 2) for x in range(0, w, 2)]
        if sum(1 for p in samples if near(p, (170, 170, 170), 2)) < 50:
            bad.append('no text in the console\'s grey')
        if sum(1 for p in samples if p == (0, 0, 0)) * 10 < len(samples) * 9:
            bad.append('less than 90% black: not a text screen')
    elif what == 'size':
        if sys.argv[3] != '%dx%d' % (w, h):
            bad.append('screen %dx%d, want %s' % (w, h, sys.argv[3]))
    elif what == 'lit':
        lit = sum(1 for y in range(0, h, 4) for x in range(0, w, 4) if px(x, y) != (0, 0, 0))
        if lit * 100 < (h // 4) * (w // 4):
            bad.append('the screen is almost black')
    else:
        raise SystemExit('unknown check ' + what)
    if bad:
        print('\n'.join(bad[:8]) + ('\n... %d more' % (len(bad) - 8) if len(bad) > 8 else ''))
        sys.exit(1)
    print('ok %s %dx%d' % (what, w, h))


if __name__ == '__main__':
    main()
