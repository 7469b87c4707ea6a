#!/usr/bin/python3
"""Times every colour effect against a plain memcpy of the same 4000 x 3000
24-bit picture, with Pillow's grey scale (Image.convert("L")) as a peer, and
prints a table of medians and ratios.

    bench/imaging/effects/colour_effects.py [BENCH_BINARY] [--rounds N] [--filter REGEX]

BENCH_BINARY defaults to build/bench/bench_colour_effects. Each round runs the
benchmark program (every effect and the memcpy baseline, 3 repetitions each)
and then Pillow on a picture built in memory from the same bytes (no decoding
is timed). A ratio is taken within its round, where effect and baseline shared
the machine's state, and the table gives the median over the rounds. Pillow's
grey weighs the channels differently, so only its time compares.
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


def bench_round(binary, pattern):
    """Median wall and CPU milliseconds per benchmark, from one run."""
    out = subprocess.run(
        [binary, f"--benchmark_filter={pattern}", "--benchmark_repetitions=3",
         "--benchmark_report_aggregates_only=true", "--benchmark_format=json"],
        check=True, capture_output=True, text=True).stdout
    times = {}
    for run in json.loads(out)["benchmarks"]:
        if run.get("aggregate_name") == "median":
            name = run["run_name"].split("/real_time")[0].split("/process_time")[0]
            times[name] = (run["real_time"], run["cpu_time"])
    return times


def pillow_ms(image, repeats=5):
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        image.convert("L")
        times.append((time.perf_counter() - start) * 1000.0)
    return statistics.median(times)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("binary", nargs="?", default="build/bench/bench_colour_effects")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--filter", default=".", help="benchmarks to run (memcpy always)")
    args = parser.parse_args()

    image = Image.frombytes("RGB", (WIDTH, HEIGHT), picture_bytes())
    image.convert("L")  # warm up
    wall, cpu, ratio = {}, {}, {}
    for _ in range(args.rounds):
        times = bench_round(args.binary, f"BM_Memcpy|{args.filter}")
        times["Pillow convert(L)"] = (pillow_ms(image), float("nan"))
        base = times["BM_Memcpy"][0]
        for name, (w, c) in times.items():
            wall.setdefault(name, []).append(w)
            cpu.setdefault(name, []).append(c)
            ratio.setdefault(name, []).append(w / base)

    print(f"{args.rounds} rounds; medians; wall ms, ratio to memcpy (per round), "
          f"CPU ms of all threads")
    for name in wall:
        c = statistics.median(cpu[name])
        cpu_text = "" if c != c else f"{c:8.2f}"
        print(f"{name:24s} {statistics.median(wall[name]):8.2f} "
              f"{statistics.median(ratio[name]):6.2f}x {cpu_text}")


if __name__ == "__main__":
    sys.exit(main())
