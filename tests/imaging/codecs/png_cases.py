"""PNG test cases at every colour type and bit depth, made with Pillow and
ImageMagick, and Pillow's reading of them as the judge.

    png_cases.py make DIR    writes DIR/NAME.png for every case, each checked to
                             have the colour type, depth, interlacing and tRNS
                             chunk it stands for, and DIR/NAME.ppm: what Pillow
                             reads there composited onto white (16-bit samples
                             by their high byte, (c * a + 255 * (255 - a)) / 255
                             rounded to nearest); prints the case names
    png_cases.py check DIR NAME...
                             reads DIR/NAME.out.png with Pillow and fails unless
                             it shows DIR/NAME.ppm exactly
"""
import os
import subprocess
import sys

from PIL import Image

WIDTH, HEIGHT = 37, 23  # odd, so rows end mid-byte and every interlace pass is uneven


def pattern_rgba():
    image = Image.new("RGBA", (WIDTH, HEIGHT))
    image.putdata([((x * 7) % 256, (y * 11) % 256, (x * y * 3) % 256,
                    (0, 255, 128, 37, 200)[(x + 2 * y) % 5])
                   for y in range(HEIGHT) for x in range(WIDTH)])
    return image


def pattern_grey16():
    image = Image.new("I;16", (WIDTH, HEIGHT))
    image.putdata([(x * 1789 + y * 2833) % 65536 for y in range(HEIGHT) for x in range(WIDTH)])
    return image


def palette_image(colours):
    return pattern_rgba().convert("RGB").quantize(colours)


def magick(args, out):
    subprocess.run(["convert"] + args + [out], check=True)


def make_cases(folder):
    """Each case: name -> (maker(path), (depth, colour type, interlaced, has tRNS))."""
    rgba = pattern_rgba()
    grey = rgba.convert("L")
    source = os.path.join(folder, "source-rgba.png")
    rgba.save(source)
    grey_source = os.path.join(folder, "source-grey.png")
    grey.save(grey_source)
    quarter_grey = os.path.join(folder, "source-grey4.png")
    grey.point(lambda v: v // 64 * 85).save(quarter_grey)
    sixteen_grey = os.path.join(folder, "source-grey16.png")
    grey.point(lambda v: v // 16 * 17).save(sixteen_grey)

    def pillow(image, **options):
        return lambda path: image.save(path, **options)

    def im(*args, inp=source, prefix=""):
        return lambda path: magick([inp] + list(args), prefix + path)

    with_trns_p4 = palette_image(16)
    with_trns_p8 = palette_image(200)
    # A 16-bit picture whose low bytes vary, so "high byte" is really tested.
    deep = ["-depth", "16", "-evaluate", "multiply", "0.93"]
    return {
        "grey1": (pillow(grey.convert("1")), (1, 0, False, False)),
        "grey2": (im("-type", "Grayscale", "-depth", "2", inp=quarter_grey), (2, 0, False, False)),
        "grey4": (im("-type", "Grayscale", "-depth", "4", inp=sixteen_grey), (4, 0, False, False)),
        "grey8": (pillow(grey), (8, 0, False, False)),
        "grey8-trns": (pillow(grey, transparency=int(grey.getpixel((3, 4)))), (8, 0, False, True)),
        "grey16": (pillow(pattern_grey16()), (16, 0, False, False)),
        "grey-alpha8": (pillow(rgba.convert("LA")), (8, 4, False, False)),
        "grey-alpha16": (im("-type", "GrayscaleAlpha", *deep), (16, 4, False, False)),
        "palette1": (pillow(palette_image(2), bits=1), (1, 3, False, False)),
        "palette2": (pillow(palette_image(4), bits=2), (2, 3, False, False)),
        "palette4": (pillow(palette_image(16), bits=4), (4, 3, False, False)),
        "palette8": (pillow(palette_image(200)), (8, 3, False, False)),
        "palette4-trns": (pillow(with_trns_p4, bits=4, transparency=bytes([0, 128, 255, 37] * 4)),
                          (4, 3, False, True)),
        "palette8-trns": (pillow(with_trns_p8, transparency=5), (8, 3, False, True)),
        "rgb8": (pillow(rgba.convert("RGB")), (8, 2, False, False)),
        "rgb8-trns": (pillow(rgba.convert("RGB"), transparency=rgba.getpixel((0, 0))[:3]),
                      (8, 2, False, True)),
        "rgb16": (im("-alpha", "off", *deep, prefix="PNG48:"), (16, 2, False, False)),
        "rgba8": (pillow(rgba), (8, 6, False, False)),
        "rgba16": (im(*deep, prefix="PNG64:"), (16, 6, False, False)),
        "interlaced-grey2": (im("-type", "Grayscale", "-depth", "2", "-interlace", "PNG",
                                inp=quarter_grey), (2, 0, True, False)),
        "interlaced-grey16": (im("-colorspace", "Gray", "-alpha", "off", *deep, "-interlace",
                                 "PNG"), (16, 0, True, False)),
        "interlaced-grey-alpha8": (im("-type", "GrayscaleAlpha", "-depth", "8", "-interlace",
                                      "PNG"), (8, 4, True, False)),
        "interlaced-palette8-trns": (im("-colors", "100", "-interlace", "PNG", prefix="PNG8:"),
                                     (8, 3, True, True)),
        "interlaced-rgb8": (im("-alpha", "off", "-interlace", "PNG", prefix="PNG24:"), (8, 2, True, False)),
        "interlaced-rgba8": (im("-interlace", "PNG", prefix="PNG32:"), (8, 6, True, False)),
        "interlaced-rgba16": (im(*deep, "-interlace", "PNG", prefix="PNG64:"), (16, 6, True, False)),
    }


def header_of(path):
    data = open(path, "rb").read()
    return (data[24], data[25], data[28] != 0, b"tRNS" in data[:data.find(b"IDAT")])


def rgba_pixels(image):
    """Pillow's pixels as 8-bit RGBA, the transparency info applied."""
    key = image.info.get("transparency")
    if image.mode in ("I", "I;16", "I;16B"):
        return [(v >> 8,) * 3 + (0 if v == key else 255,) for v in image.getdata()]
    if image.mode in ("L", "1") and key is not None:
        return [(v,) * 3 + (0 if v == key else 255,) for v in image.convert("L").getdata()]
    if image.mode == "RGB" and key is not None:
        return [p + (0 if p == tuple(key) else 255,) for p in image.getdata()]
    return list(image.convert("RGBA").getdata())


def on_white(pixels):
    return bytes(v for r, g, b, a in pixels
                 for v in ((c * a + 255 * (255 - a) + 127) // 255 for c in (r, g, b)))


def write_ppm(path, size, rgb):
    with open(path, "wb") as out:
        out.write(b"P6\n%d %d\n255\n" % size + rgb)


def read_ppm(path):
    data = open(path, "rb").read()
    magic, size, maximum, rgb = data.split(b"\n", 3)
    return tuple(int(v) for v in size.split()), rgb


def make(folder):
    for name, (maker, wanted) in make_cases(folder).items():
        path = os.path.join(folder, name + ".png")
        maker(path)
        got = header_of(path)
        if got != wanted:
            sys.exit("%s came out as (depth, colour type, interlaced, tRNS) %s, not %s"
                     % (name, got, wanted))
        image = Image.open(path)
        write_ppm(os.path.join(folder, name + ".ppm"), image.size, on_white(rgba_pixels(image)))
        print(name)


def check(folder, names):
    failures = []
    for name in names:
        size, expected = read_ppm(os.path.join(folder, name + ".ppm"))
        image = Image.open(os.path.join(folder, name + ".out.png"))
        got = on_white(rgba_pixels(image))
        if image.size != size or got != expected:
            failures.append(name)
    if failures:
        sys.exit("Pillow reads these differently: " + " ".join(failures))


if __name__ == "__main__":
    if sys.argv[1] == "make":
        make(sys.argv[2])
    else:
        check(sys.argv[2], sys.argv[3:])
