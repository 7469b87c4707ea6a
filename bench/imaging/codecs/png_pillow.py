"""Pillow's side of png_peers.sh: decodes PICTURE (open and load) and encodes
it into memory at Pillow's default compression level (6), REPEAT times each,
and prints the median processor and wall milliseconds of each:
    decode CPU_MS WALL_MS
    encode CPU_MS WALL_MS BYTES
    png_pillow.py PICTURE REPEAT"""
import io
import statistics
import sys
import time

from PIL import Image

path, repeat = sys.argv[1], int(sys.argv[2])


def timed(work):
    cpu, wall = [], []
    for _ in range(repeat):
        c, w = time.process_time(), time.perf_counter()
        result = work()
        cpu.append(time.process_time() - c)
        wall.append(time.perf_counter() - w)
    return statistics.median(cpu) * 1e3, statistics.median(wall) * 1e3, result


def decode():
    image = Image.open(path)
    image.load()
    return image


def encode():
    out = io.BytesIO()
    picture.save(out, "PNG")
    return len(out.getvalue())


cpu, wall, picture = timed(decode)
print("decode %.2f %.2f" % (cpu, wall))
cpu, wall, size = timed(encode)
print("encode %.2f %.2f %d" % (cpu, wall, size))
