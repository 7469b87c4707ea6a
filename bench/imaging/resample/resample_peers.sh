#!/usr/bin/env bash
# ResampleBitmap against the resizers a user would pick instead, on the same
# pictures, in the same run, one thread each:
#   libvips      vips resize --kernel K --gap 0   (.v files, memory-mapped)
#   ImageMagick  convert -filter F -resize WxH!   (.mpc pixel cache, null: output)
#   Pillow       Image.resize(size, F)            (timed inside Python)
# For the command-line peers the start-up of the same command on the same file
# with a trivial operation (an 8 x 8 crop) is measured too and subtracted.
#
# Usage: bench/imaging/resample/resample_peers.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  a build with -DPIXMOTH_BUILD_BENCH=ON (default: build)
#   RUNS       timed runs per command (default 7); medians are reported
#
# The machine is shared, so the primary figure is CPU time (user + system) of
# the one thread; wall times are printed beside it. Megapixels/s counts source
# pixels for shrinking and destination pixels for enlarging.
set -euo pipefail
cd "$(dirname "$0")/../../.."
build=${1:-build}
runs=${2:-7}

scripts/deps.sh bench

bench="$build/bench/bench_resample"
if [[ ! -x "$bench" ]]; then
    echo "missing $bench: configure with -DPIXMOTH_BUILD_BENCH=ON and build" >&2
    exit 1
fi

# The Debian binary itself, not whatever wrapper may sit earlier on PATH.
convert=$(command -v convert-im6.q16 || command -v convert)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

export VIPS_CONCURRENCY=1 MAGICK_THREAD_LIMIT=1 OMP_NUM_THREADS=1

/usr/bin/python3 - "$work" <<'EOF'
import sys
from PIL import Image
work = sys.argv[1]
# A photo-like picture: smooth gradients with grain.
for name, size in (("large", (4000, 3000)), ("small", (640, 480))):
    r = Image.linear_gradient("L").resize(size)
    g = Image.radial_gradient("L").resize(size)
    b = Image.effect_noise(size, 40).point(lambda v: (v + 64) & 255)
    Image.merge("RGB", (r, g, b)).save(f"{work}/{name}.ppm")
EOF
for name in large small; do
    vips copy "$work/$name.ppm" "$work/$name.v"
    "$convert" "$work/$name.ppm" "$work/$name.mpc"
done

/usr/bin/python3 - "$work" "$bench" "$convert" "$runs" <<'EOF'
import json, os, resource, statistics, subprocess, sys, time

work, bench, convert, runs = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])

cases = [  # name, source, size, scale, ours, vips kernel, ImageMagick filter, Pillow filter
    ("4000x3000_800x600_Lanczos3", "large", (800, 600), 0.2, "lanczos3", "Lanczos", "LANCZOS"),
    ("4000x3000_800x600_Mitchell", "large", (800, 600), 0.2, "mitchell", "Mitchell", "BICUBIC"),
    ("4000x3000_800x600_Triangle", "large", (800, 600), 0.2, "linear", "Triangle", "BILINEAR"),
    ("640x480_2560x1920_Lanczos3", "small", (2560, 1920), 4.0, "lanczos3", "Lanczos", "LANCZOS"),
]

def run_command(argv):
    """CPU and wall seconds of one run of argv."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run(argv, check=True, stdout=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return cpu, wall

def timed_minus_startup(argv, trivial):
    """Median CPU and wall seconds of argv minus those of the trivial command,
    the two run in turn so that drift hits both alike."""
    run_command(argv)
    run_command(trivial)
    cpu, wall = [], []
    for _ in range(runs):
        c1, w1 = run_command(argv)
        c0, w0 = run_command(trivial)
        cpu.append(c1 - c0)
        wall.append(w1 - w0)
    return statistics.median(cpu), statistics.median(wall)

def pillow(source, size, filter_name):
    from PIL import Image
    image = Image.open(f"{work}/{source}.ppm")
    image.load()
    method = getattr(Image.Resampling, filter_name)
    image.resize(size, method)
    cpu, wall = [], []
    for _ in range(runs):
        c0, w0 = time.process_time(), time.perf_counter()
        image.resize(size, method)
        cpu.append(time.process_time() - c0)
        wall.append(time.perf_counter() - w0)
    return statistics.median(cpu), statistics.median(wall)

def ours(case):
    out = subprocess.run(
        [bench, f"--benchmark_filter=BM_Resample/{case}/", "--benchmark_format=json",
         f"--benchmark_repetitions={runs}", "--benchmark_min_time=0.5"],
        check=True, capture_output=True, text=True,
        env=dict(os.environ, PIXMOTH_RESAMPLE_PICTURES=work)).stdout
    results = [b for b in json.loads(out)["benchmarks"] if b.get("run_type") == "iteration"]
    by_path = {}
    for b in results:
        # BM_Resample/CASE/PATH[/1thread]/real_time
        by_path.setdefault("/".join(b["name"].split("/")[2:-1]), []).append(b)
    rows = {}
    for path, items in by_path.items():
        scale = {"ms": 1e-3, "us": 1e-6, "ns": 1e-9}[items[0]["time_unit"]]
        rows[path] = (statistics.median(b["cpu_time"] for b in items) * scale,
                      statistics.median(b["real_time"] for b in items) * scale)
    return rows

print(f"{runs} runs each, medians; CPU time of one thread (wall in brackets)\n")
print(f"{'case':28} {'program':28} {'ms':>16} {'MP/s':>7} {'peer / ours':>12}")
for name, source, size, scale, vk, mf, pf in cases:
    src = 4000 * 3000 if source == "large" else 640 * 480
    pixels = src if scale < 1 else size[0] * size[1]
    w, h = size
    inv, inm = f"{work}/{source}.v", f"{work}/{source}.mpc"
    results = {}
    # The benchmark lists the widest path first (the one ResampleBitmap picks),
    # on all cores and then on one thread; the peers run on one thread, so
    # the ratios are to that path's one-thread figure.
    basis = None
    for path, t in ours(name).items():
        results[f"Pixmoth ({path})"] = t
        if basis is None and path.endswith("/1thread"):
            basis = t
    results["libvips"] = timed_minus_startup(
        ["vips", "resize", inv, f"{work}/out.v", str(scale), "--kernel", vk, "--gap", "0"],
        ["vips", "crop", inv, f"{work}/out.v", "0", "0", "8", "8"])
    results["ImageMagick"] = timed_minus_startup(
        [convert, inm, "-limit", "thread", "1", "-filter", mf, "-resize", f"{w}x{h}!", "null:"],
        [convert, inm, "-limit", "thread", "1", "-crop", "8x8+0+0", "+repage", "null:"])
    results[f"Pillow ({pf})"] = pillow(source, size, pf)
    for program, (cpu, wall) in results.items():
        ratio = "" if program.startswith("Pixmoth") else f"{cpu / basis[0]:.2f}x"
        print(f"{name:28} {program:28} {cpu * 1e3:7.1f} ({wall * 1e3:6.1f}) "
              f"{pixels / cpu / 1e6:7.0f} {ratio:>12}")
    print()
EOF
