#!/usr/bin/env python3
"""Writes the hostile and oversized pictures the picture benchmark measures, with ImageMagick's convert.

Usage: tools/gen-pictures.py OUT_DIR
  card-small.vcf        a card with a 64x64 photo (the benchmark's warm-up)
  card-fake-10000.vcf   a card of about a kilobyte whose JPEG header claims 10000x10000 pixels
  card-real-8000.vcf    a card with a real 8000x8000 JPEG photo
  card-jpeg-2560.vcf    a card with a 2560x1920 JPEG photo, the largest kind a contact may have
  card-progressive.vcf  a card with a 1400x1200 progressive JPEG photo
  card-png-2000.vcf     a card with a 2000x2000 half-transparent PNG picture
  card-panorama.vcf     a card with a 12000x300 JPEG panorama
  card-gif-bomb.vcf     a card of a few bytes whose GIF frame claims 20000x20000 pixels
  skin-small/, skin-4000/, skin-1400/   skin folders whose big_btn_text.bmp is 64x64, 4000x4000 and
                        1400x1400 pixels
Files that exist are kept; the same command always writes the same files.
"""
import base64
import os
import struct
import subprocess
import sys


def convert(*arguments):
    subprocess.run(["convert", *arguments], check=True)


def claim_size(jpeg, width, height):
    """The JPEG with the size in its frame header replaced."""
    data = bytearray(jpeg)
    at = 2
    while at + 4 <= len(data):
        marker, length = data[at + 1], struct.unpack(">H", data[at + 2:at + 4])[0]
        if 0xC0 <= marker <= 0xC2:
            data[at + 5:at + 9] = struct.pack(">HH", height, width)
            return bytes(data)
        at += 2 + length
    raise ValueError("no frame header")


def write_card(path, name, jpeg):
    photo = base64.b64encode(jpeg).decode()
    folded = "\r\n ".join(photo[i:i + 74] for i in range(0, len(photo), 74))
    with open(path, "w", newline="") as f:
        f.write("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%s\r\nFN:%s\r\nN:%s;;;;\r\nTEL;TYPE=CELL:+7 900 000-00-00\r\n"
                "PHOTO;ENCODING=b;TYPE=JPEG:%s\r\nEND:VCARD\r\n" % (name, name, name, folded))


def gif_bomb():
    """A GIF of a 10x10 screen whose one frame claims 20000x20000 pixels, with almost no data."""
    screen = b"GIF89a" + struct.pack("<HH", 10, 10) + bytes([0x80, 0, 0]) + bytes(6)
    frame = b"\x2c" + struct.pack("<HHHH", 0, 0, 20000, 20000) + bytes([0, 2, 2, 0x4C, 0x01, 0])
    return screen + frame + b"\x3b"


def write_picture_card(path, name, make_picture, suffix):
    picture = path + suffix
    make_picture(picture)
    with open(picture, "rb") as f:
        write_card(path, name, f.read())
    os.remove(picture)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    small = os.path.join(out, "small.jpg")
    if not os.path.exists(small):
        convert("-size", "64x64", "plasma:fractal", "-seed", "3", "-strip", "-quality", "40", small)
    with open(small, "rb") as f:
        jpeg = f.read()
    targets = {
        "card-small.vcf": lambda path: write_card(path, "Small", jpeg),
        "card-fake-10000.vcf": lambda path: write_card(path, "Fake", claim_size(jpeg, 10000, 10000)),
    }
    for name, make in targets.items():
        path = os.path.join(out, name)
        if not os.path.exists(path):
            make(path)
    real = os.path.join(out, "card-real-8000.vcf")
    if not os.path.exists(real):
        photo = os.path.join(out, "real-8000.jpg")
        convert("-size", "2000x2000", "plasma:fractal", "-seed", "11", "-resize", "8000x8000", "-quality", "85",
                photo)
        with open(photo, "rb") as f:
            write_card(real, "Real", f.read())
        os.remove(photo)
    cards = {
        "card-jpeg-2560.vcf": (lambda p: convert("-size", "640x480", "plasma:fractal", "-seed", "5", "-resize",
                                                 "2560x1920!", "-quality", "90", p), ".jpg"),
        "card-progressive.vcf": (lambda p: convert("-size", "700x600", "plasma:fractal", "-seed", "6", "-resize",
                                                   "1400x1200!", "-interlace", "JPEG", "-quality", "90", p), ".jpg"),
        "card-png-2000.vcf": (lambda p: convert("-size", "500x500", "plasma:fractal", "-seed", "8", "-resize",
                                                "2000x2000!", "-alpha", "set", "-channel", "A", "-evaluate", "set",
                                                "50%", "+channel", "PNG32:" + p), ".png"),
        "card-panorama.vcf": (lambda p: convert("-size", "12000x300", "gradient:red-blue", "-quality", "85", p),
                              ".jpg"),
    }
    for name, (make, suffix) in cards.items():
        path = os.path.join(out, name)
        if not os.path.exists(path):
            write_picture_card(path, os.path.splitext(name)[0], make, suffix)
    bomb = os.path.join(out, "card-gif-bomb.vcf")
    if not os.path.exists(bomb):
        write_card(bomb, "Bomb", gif_bomb())
    for folder, size in (("skin-small", "64x64"), ("skin-4000", "4000x4000"), ("skin-1400", "1400x1400")):
        path = os.path.join(out, folder, "big_btn_text.bmp")
        if not os.path.exists(path):
            os.makedirs(os.path.dirname(path), exist_ok=True)
            convert("-size", size, "gradient:red-blue", "-type", "TrueColor", "BMP3:" + path)


if __name__ == "__main__":
    main()
