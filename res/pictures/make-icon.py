#!/usr/bin/env python3
"""Icon 128: the reader of bitmap 131 with its card, drawn pixel by pixel in the 16 standard
colours at 32 x 32 and 16 x 16, written as a Windows icon (4 bits per pixel plus a 1-bit
transparency mask). Usage: make-icon.py OUT.ico [PREVIEW_PREFIX]  (previews as .ppm)."""
import struct
import sys

# The standard 16-colour palette, in its usual order.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
K, GREEN, OLIVE, NAVY, SILVER, GRAY, LIME, YELLOW, BLUE, WHITE = 0, 2, 3, 4, 7, 8, 10, 11, 12, 15
CLEAR = None


class Canvas:
    def __init__(self, size):
        self.size = size
        self.px = [[CLEAR] * size for _ in range(size)]

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the inclusive rectangle."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.px[y][x] = colour

    def frame(self, x0, y0, x1, y1, colour):
        self.rect(x0, y0, x1, y0, colour)
        self.rect(x0, y1, x1, y1, colour)
        self.rect(x0, y0, x0, y1, colour)
        self.rect(x1, y0, x1, y1, colour)

    def dot(self, x, y, colour):
        self.px[y][x] = colour


def icon32():
    c = Canvas(32)
    # Reader, top face: widens towards the viewer.
    for row, (x0, x1) in enumerate([(7, 24), (6, 25), (5, 26), (4, 27), (3, 28)]):
        y = 14 + row
        c.rect(x0, y, x1, y, GRAY)
        c.dot(x0, y, K)
        c.dot(x1, y, K)
    c.rect(8, 14, 23, 14, K)
    c.rect(7, 15, 24, 15, SILVER)
    # The card, standing in the slot.
    c.rect(9, 1, 22, 16, WHITE)
    c.frame(9, 1, 22, 16, GRAY)
    c.dot(9, 1, CLEAR)
    c.dot(22, 1, CLEAR)
    c.rect(11, 4, 16, 8, YELLOW)          # chip with its contacts
    c.rect(11, 6, 12, 6, OLIVE)
    c.rect(15, 6, 16, 6, OLIVE)
    c.rect(13, 4, 13, 8, OLIVE)
    c.rect(17, 4, 17, 8, GRAY)
    c.rect(11, 9, 17, 9, GRAY)
    c.rect(19, 4, 21, 4, SILVER)          # printed lines
    c.rect(19, 6, 20, 6, SILVER)
    c.rect(10, 11, 21, 12, BLUE)          # coloured band
    c.rect(11, 14, 17, 14, SILVER)
    # The slot in front of the card.
    c.rect(7, 17, 24, 17, K)
    c.rect(3, 18, 28, 18, GRAY)
    c.dot(3, 18, K)
    c.dot(28, 18, K)
    # Front face.
    c.rect(2, 19, 29, 26, K)
    c.rect(3, 20, 28, 20, GRAY)
    c.rect(3, 21, 28, 25, NAVY)
    c.rect(3, 21, 28, 25, K)
    c.rect(5, 23, 12, 23, GRAY)           # label
    c.rect(24, 22, 25, 23, LIME)          # lamp
    c.dot(25, 23, GREEN)
    c.rect(3, 27, 28, 27, K)
    c.dot(2, 26, CLEAR)
    c.dot(29, 26, CLEAR)
    c.dot(2, 27, CLEAR)
    c.dot(29, 27, CLEAR)
    # Cable to the serial plug.
    for x, y in [(30, 22), (31, 23), (31, 24), (31, 25), (30, 26), (30, 27), (29, 28), (28, 29), (27, 29)]:
        c.dot(x, y, K)
    c.rect(17, 28, 26, 31, K)             # plug hood and shell
    c.rect(18, 29, 25, 30, GRAY)
    c.rect(19, 29, 24, 29, SILVER)
    return c


def icon16():
    c = Canvas(16)
    c.rect(3, 7, 12, 7, K)                # top face
    c.rect(2, 8, 13, 8, GRAY)
    c.dot(2, 8, K)
    c.dot(13, 8, K)
    c.rect(4, 0, 11, 8, WHITE)            # card
    c.frame(4, 0, 11, 8, GRAY)
    c.rect(5, 2, 7, 3, YELLOW)
    c.dot(6, 2, OLIVE)
    c.dot(6, 3, OLIVE)
    c.rect(9, 2, 10, 2, SILVER)
    c.rect(5, 5, 10, 5, BLUE)
    c.rect(3, 9, 12, 9, K)                # slot
    c.rect(1, 10, 14, 14, K)              # front face
    c.rect(2, 10, 13, 10, GRAY)
    c.rect(3, 12, 6, 12, GRAY)
    c.dot(12, 12, LIME)
    c.rect(2, 15, 13, 15, CLEAR)
    c.dot(1, 14, CLEAR)
    c.dot(14, 14, CLEAR)
    return c


def dib(canvas):
    """BITMAPINFOHEADER, palette, 4-bit colour rows and 1-bit mask rows, bottom row first."""
    size = canvas.size
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):
        row = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x in range(size):
            colour = canvas.px[y][x]
            index = 0 if colour is None else colour
            row[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if colour is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += row
        mask += bits
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 0, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(xor) + bytes(mask)


def ppm(canvas, path, background=(0xD4, 0xD0, 0xC8)):
    with open(path, 'wb') as out:
        out.write(b'P6 %d %d 255\n' % (canvas.size, canvas.size))
        for row in canvas.px:
            for colour in row:
                out.write(bytes(background if colour is None else PALETTE[colour]))


def main():
    images = [icon32(), icon16()]
    blobs = [dib(image) for image in images]
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for image, blob in zip(images, blobs):
        data += struct.pack('<BBBBHHII', image.size, image.size, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    data += b''.join(blobs)
    with open(sys.argv[1], 'wb') as out:
        out.write(data)
    if len(sys.argv) > 2:
        for image in images:
            ppm(image, '%s-%d.ppm' % (sys.argv[2], image.size))


if __name__ == '__main__':
    main()
