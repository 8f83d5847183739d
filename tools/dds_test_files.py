#!/usr/bin/python3
"""Writes the DDS files of the image decoder's tests and the pixels another
decoder gives for them.

Into tests/platform/image/cases/, for each NAME.dds a NAME.png holding the
RGBA pixels to expect:
  dxt1, dxt1_mipmaps, dxt5, dxt5_mipmaps
        written by ImageMagick's convert from small made-up pictures; the
        expected pixels are what Pillow reads from them
  dxt3  ImageMagick writes no DXT3: the colour blocks of its DXT5 file of
        the picture, with the picture's alpha in four bits a texel; Pillow
  dxt1_alpha, dxt5_alpha_modes
        blocks packed here for what ImageMagick never writes (DXT1 blocks with
        a transparent colour, DXT5 blocks with both alpha modes); Pillow again
  r8g8b8, a8r8g8b8
        uncompressed, written by ImageMagick; the picture itself, which Pillow
        must also read
  x8r8g8b8, a8b8g8r8, x8b8g8r8, r5g6b5, x1r5g5b5, a1r5g5b5, a4r4g4b4, x4r4g4b4
        uncompressed, packed here with junk in the spare bits; each stored
        value v of an n-bit channel expected as the 8-bit value nearest to
        v / (2^n - 1) (Pillow reads only the byte-wide layouts that have alpha,
        and must agree on those)
A few of them are copied as seeds to tests/fuzz/seeds/fuzz_image/, and a 4x4
DXT1 texture for the model tests goes to tests/motion/models/.

Pillow rounds down where the block formats' documented steps round to
nearest (colours a third between the endpoints, DXT5 alpha steps), so its
colours of DXT files and its DXT5 alphas may be one below ours; the test allows
that difference there and nowhere else.

Needs ImageMagick's convert and Pillow (Debian's python3-pil, which belongs to
/usr/bin/python3). Not run by the tests: run it by hand after changing it,
from anywhere: /usr/bin/python3 tools/dds_test_files.py
"""
import os
import shutil
import struct
import subprocess
import tempfile

from PIL import Image

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
CASES = os.path.join(ROOT, "tests", "platform", "image", "cases")
SEEDS = os.path.join(ROOT, "tests", "fuzz", "seeds", "fuzz_image")
MODELS = os.path.join(ROOT, "tests", "motion", "models")

PIXEL_ALPHA, PIXEL_FOURCC, PIXEL_RGB = 0x1, 0x4, 0x40


def picture(width, height, alpha):
    """Colours that change in every channel from texel to texel."""
    image = Image.new("RGBA", (width, height))
    image.putdata([((x * 53 + y * 17) % 256, (x * 29 + y * 71 + 9) % 256, (x * 11 + y * 97 + 40) % 256,
                    (x * 37 + y * 59 + 5) % 256 if alpha else 255)
                   for y in range(height) for x in range(width)])
    return image


def header(width, height, pixel_flags, fourcc=b"\0\0\0\0", bits=0, masks=(0, 0, 0, 0), mipmaps=1):
    flags = 0x1007 | (0x20000 if mipmaps > 1 else 0)  # caps, height, width, pixel format, mipmap count
    caps = 0x1000 | (0x400008 if mipmaps > 1 else 0)  # texture, mipmap, complex
    return (b"DDS " + struct.pack("<7I", 124, flags, height, width, 0, 0, mipmaps) + b"\0" * 44 +
            struct.pack("<2I", 32, pixel_flags) + fourcc + struct.pack("<5I", bits, *masks) +
            struct.pack("<5I", caps, 0, 0, 0, 0))


def write(folder, name, data):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def convert(image, name, compression, mipmaps=0):
    with tempfile.TemporaryDirectory() as temp:
        source = os.path.join(temp, "source.png")
        image.save(source)
        alpha = [] if image.getextrema()[3][0] < 255 else ["-alpha", "off"]
        subprocess.run(["convert", source, *alpha, "-define", "dds:compression=" + compression,
                        "-define", "dds:mipmaps=%d" % mipmaps, os.path.join(CASES, name + ".dds")], check=True)


def read_with_pillow(name):
    return Image.open(os.path.join(CASES, name + ".dds")).convert("RGBA")


def expect(name, image):
    image.save(os.path.join(CASES, name + ".png"))


# ---------------------------------------------------------------- compressed

def dxt1_block(c0, c1, indices):
    """Two 5:6:5 endpoints and 16 two-bit indices, row by row."""
    return struct.pack("<2HI", c0, c1, sum(index << (2 * i) for i, index in enumerate(indices)))


def dxt5_alpha_block(a0, a1, indices):
    bits = sum(index << (3 * i) for i, index in enumerate(indices))
    return bytes([a0, a1]) + bits.to_bytes(6, "little")


def packed_blocks(name, width, height, fourcc, blocks):
    write(CASES, name + ".dds", header(width, height, PIXEL_FOURCC, fourcc) + b"".join(blocks))
    expect(name, read_with_pillow(name))


def compressed():
    for name, size, alpha, compression, mipmaps in [
            ("dxt1", (10, 7), False, "dxt1", 0), ("dxt1_mipmaps", (16, 8), False, "dxt1", 2),
            ("dxt5", (7, 9), True, "dxt5", 0), ("dxt5_mipmaps", (8, 8), True, "dxt5", 3)]:
        convert(picture(*size, alpha), name, compression, mipmaps)
        expect(name, read_with_pillow(name))
    dxt3 = picture(9, 6, True)
    convert(dxt3, "dxt3", "dxt5")
    with open(os.path.join(CASES, "dxt3.dds"), "rb") as f:
        dxt5 = f.read()
    alphas = dxt3.getchannel("A")
    blocks = []
    for n in range(len(dxt5[128:]) // 16):
        bx, by = n % 3, n // 3
        nibbles = [(alphas.getpixel((min(bx * 4 + i % 4, 8), min(by * 4 + i // 4, 5))) * 15 + 127) // 255
                   for i in range(16)]
        blocks.append(sum(v << (4 * i) for i, v in enumerate(nibbles)).to_bytes(8, "little") +
                      dxt5[128 + n * 16 + 8:128 + n * 16 + 16])
    packed_blocks("dxt3", 9, 6, b"DXT3", blocks)
    every = list(range(4)) * 4
    packed_blocks("dxt1_alpha", 8, 8, b"DXT1", [
        dxt1_block(0xF800, 0x041F, every),        # four colours
        dxt1_block(0x041F, 0xF800, every),        # three colours and transparent black
        dxt1_block(0x07E0, 0x07E0, every[::-1]),  # equal endpoints: three colours as well
        dxt1_block(0x001F, 0xFFE0, [0, 1, 2] * 5 + [1]),  # three-colour block without its transparent texels
    ])
    colour = dxt1_block(0xFFFF, 0x0000, every)
    packed_blocks("dxt5_alpha_modes", 8, 4, b"DXT5", [
        dxt5_alpha_block(250, 3, list(range(8)) * 2) + colour,   # six steps between the endpoints
        dxt5_alpha_block(3, 250, list(range(8)) * 2) + colour,   # four steps, then 0 and 255
    ])
    # The model tests' texture: blue, red, halfway between and transparent black in each row.
    write(MODELS, "box_dxt1.dds", header(4, 4, PIXEL_FOURCC, b"DXT1") +
          dxt1_block(0x001F, 0xF800, [0, 1, 2, 3] * 4))


# -------------------------------------------------------------- uncompressed

def channel_bits(mask):
    shift = (mask & -mask).bit_length() - 1 if mask else 0
    return shift, (mask >> shift) if mask else 0


def uncompressed(name, bits, masks, alpha_flag, spare=0):
    """Packs the picture into `bits`-bit pixels; `spare` marks bits no channel
    reads, filled with junk."""
    width, height = 5, 3
    source = picture(width, height, alpha_flag)
    data, pixels = bytearray(), []
    for n, rgba in enumerate(source.getdata()):
        word, decoded = (n * 0x9E3779B1) & spare, []
        for c, mask in enumerate(masks):
            shift, top = channel_bits(mask)
            if not top or (c == 3 and not alpha_flag):
                decoded.append(255)
                continue
            value = (rgba[c] * top + 127) // 255
            word |= value << shift
            decoded.append((value * 255 + top // 2) // top)
        data += word.to_bytes(bits // 8, "little")
        pixels.append(tuple(decoded))
    write(CASES, name + ".dds", header(width, height, PIXEL_RGB | (PIXEL_ALPHA if alpha_flag else 0),
                                       bits=bits, masks=masks) + bytes(data))
    image = Image.new("RGBA", (width, height))
    image.putdata(pixels)
    if all(m in (0, 0xFF, 0xFF00, 0xFF0000, 0xFF000000) for m in masks) and alpha_flag:
        assert list(read_with_pillow(name).getdata()) == pixels, name
    expect(name, image)


def uncompressed_files():
    for name, alpha in [("r8g8b8", False), ("a8r8g8b8", True)]:
        source = picture(5, 3, alpha)
        convert(source, name, "none")
        assert list(read_with_pillow(name).getdata()) == list(source.getdata()), name
        expect(name, source)
    uncompressed("x8r8g8b8", 32, (0xFF0000, 0xFF00, 0xFF, 0), False, spare=0xFF000000)
    uncompressed("a8b8g8r8", 32, (0xFF, 0xFF00, 0xFF0000, 0xFF000000), True)
    uncompressed("x8b8g8r8", 32, (0xFF, 0xFF00, 0xFF0000, 0xFF000000), False, spare=0xFF000000)
    uncompressed("r5g6b5", 16, (0xF800, 0x07E0, 0x001F, 0), False)
    uncompressed("x1r5g5b5", 16, (0x7C00, 0x03E0, 0x001F, 0), False, spare=0x8000)
    uncompressed("a1r5g5b5", 16, (0x7C00, 0x03E0, 0x001F, 0x8000), True)
    uncompressed("a4r4g4b4", 16, (0x0F00, 0x00F0, 0x000F, 0xF000), True)
    uncompressed("x4r4g4b4", 16, (0x0F00, 0x00F0, 0x000F, 0xF000), False, spare=0xF000)


def main():
    compressed()
    uncompressed_files()
    for name in ["dxt1_alpha", "dxt5_alpha_modes", "dxt3", "a1r5g5b5", "r8g8b8"]:
        shutil.copyfile(os.path.join(CASES, name + ".dds"), os.path.join(SEEDS, name + ".dds"))


if __name__ == "__main__":
    main()
