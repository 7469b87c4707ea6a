"""Icon and cursor test cases at every depth, made with ImageMagick and icotool
(icoutils), and Pillow's reading of them as the judge.

    icon_cases.py make DIR   writes DIR/NAME.ico or .cur for every case, each
                             checked (icotool -l) to hold pictures of the depths
                             it stands for, and DIR/NAME.ppm: the picture Pillow
                             shows (the largest, then deepest) composited onto
                             white as png_cases.py does; prints the file names
"""
import os
import re
import subprocess
import sys

from PIL import Image

from png_cases import on_white, rgba_pixels, write_ppm

SIZE = 32


def source_picture():
    """A colour gradient with a transparent disc, soft at its edge, and a
    transparent corner, in which all colours differ."""
    image = Image.new("RGBA", (SIZE, SIZE))
    pixels = []
    for y in range(SIZE):
        for x in range(SIZE):
            d2 = (x - 20) ** 2 + (y - 12) ** 2
            alpha = 0 if d2 < 25 else 128 if d2 < 49 else 255
            if x < 6 and y > 25:
                alpha = 0
            pixels.append((x * 8, y * 8, 255 - x * 4, alpha))
    image.putdata(pixels)
    return image


def run(*command):
    subprocess.run(command, check=True, stderr=subprocess.DEVNULL)


def make(folder):
    source = source_picture()
    rgba = os.path.join(folder, "source-rgba.png")
    source.save(rgba)
    # Binary transparency (for depths with a mask only) and few colours.
    binary = source.copy()
    binary.putalpha(source.getchannel("A").point(lambda a: 255 if a > 127 else 0))
    palette = os.path.join(folder, "source-palette.png")
    binary.convert("RGB").quantize(200).convert("RGB").save(palette)
    masked = os.path.join(folder, "source-masked.png")
    binary.save(masked)
    big = os.path.join(folder, "source-256.png")
    source.resize((256, 256), Image.NEAREST).save(big)

    def magick(*args, inp=rgba):
        return lambda path: run("convert", inp, *args, path)

    def icotool(*args):
        return lambda path: run("icotool", "-c", "-o", path, *args)

    # name -> (maker(path), the depths icotool must list)
    cases = {
        "magick1.ico": (magick("-alpha", "off", "-colors", "2"), [1]),
        "magick4.ico": (magick("-alpha", "off", "-colors", "16"), [4]),
        "magick8.ico": (magick("-alpha", "off", "-colors", "256"), [8]),
        "magick32.ico": (magick(), [32]),
        "magick-sizes.ico": (magick("-define", "icon:auto-resize=256,48,16", inp=big), [32, 32, 32]),
        "magick.cur": (magick(), [32]),
        "icotool8.ico": (icotool("-b", "8", palette), [8]),
        "icotool24.ico": (icotool("-b", "24", masked), [24]),
        "icotool32.cur": (icotool("--cursor", "-X", "3", "-Y", "4", rgba), [32]),
        "icotool-png.ico": (icotool("-r", rgba), [32]),
        "icotool-depths.ico": (icotool("-b", "8", palette, "-b", "32", rgba, "-b", "24", masked),
                               [8, 32, 24]),
    }
    for name, (maker, depths) in cases.items():
        path = os.path.join(folder, name)
        maker(path)
        listed = subprocess.run(["icotool", "-l", path], check=True, capture_output=True,
                                text=True).stdout
        got = [int(d) for d in re.findall(r"--bit-depth=(\d+)", listed)]
        if got != depths:
            sys.exit("%s holds pictures of %s bits, not %s" % (name, got, depths))
        image = Image.open(path)
        image.load()
        base = os.path.splitext(name)[0] + ("-cur" if name.endswith(".cur") else "")
        write_ppm(os.path.join(folder, base + ".ppm"), image.size, on_white(rgba_pixels(image)))
        print(name)


if __name__ == "__main__":
    make(sys.argv[2])
