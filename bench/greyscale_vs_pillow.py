#!/usr/bin/python3
"""Times Pillow's grey scale (Image.convert("L")) against Pixmoth's GreyScale and
a plain memcpy of the same 4000 x 3000 24-bit picture, in alternating rounds of
one run, and prints the medians and their ratios.

    bench/greyscale_vs_pillow.py [BENCH_BINARY] [--rounds N]

BENCH_BINARY defaults to build/bench/bench_colour_effects. Pillow works on a
picture built in memory from the same bytes (no decoding is timed); the two
grey scales weigh the channels differently, so only the time compares.
"""
import argparse
import json
import statistics
import subprocess
import sys
import time

from PIL import Image

WIDTH, HEIGHT = 4000, 3000


def picture_bytes():
    # The bench's picture: byte i is i * 7 + (i >> 12), modulo 256, built a
    # 4096-byte block at a time (within a block i >> 12 is one number k).
    size = WIDTH * HEIGHT * 3
    base = bytes((j * 7) & 0xFF for j in range(4096))
    blocks = []
    for k in range((size + 4095) // 4096):
        blocks.append(base.translate(bytes((v + k) & 0xFF for v in range(256))))
    return b"".join(blocks)[:size]


def pixmoth_times(binary):
    out = subprocess.run(
        [binary, "--benchmark_filter=^BM_(Memcpy|GreyScale)/",
         "--benchmark_repetitions=5", "--benchmark_format=json"],
        check=True, capture_output=True, text=True).stdout
    medians = {}
    for run in json.loads(out)["benchmarks"]:
        if run.get("aggregate_name") == "median":
            medians[run["run_name"].split("/")[0]] = run["real_time"]  # ms
    return medians["BM_Memcpy"], medians["BM_GreyScale"]


def pillow_time(image, repeats=5):
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        image.convert("L")
        times.append((time.perf_counter() - start) * 1000.0)
    return statistics.median(times)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("binary", nargs="?", default="build/bench/bench_colour_effects")
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()

    image = Image.frombytes("RGB", (WIDTH, HEIGHT), picture_bytes())
    image.convert("L")  # warm up
    memcpy, grey, pillow = [], [], []
    for _ in range(args.rounds):
        m, g = pixmoth_times(args.binary)
        memcpy.append(m)
        grey.append(g)
        pillow.append(pillow_time(image))

    m, g, p = (statistics.median(v) for v in (memcpy, grey, pillow))
    print(f"rounds: {args.rounds} (medians of medians, wall time)")
    print(f"memcpy             {m:8.2f} ms")
    print(f"Pixmoth GreyScale  {g:8.2f} ms  {g / m:5.2f} x memcpy")
    print(f"Pillow convert(L)  {p:8.2f} ms  {p / m:5.2f} x memcpy")
    print(f"Pillow / Pixmoth   {p / g:8.2f}")


if __name__ == "__main__":
    sys.exit(main())
