"""The figures of bench/run-all.sh (which checks the build and the peers first).

Usage: run_all.py BUILD_DIR RUNS [--make-pictures]

Prints a header about the machine, then two Markdown tables: whole-process
figures (pixmoth-cli from outside, against a peer program or the floor the
same files allow) and operation figures (the in-process benchmarks against the
peers' operations alone). Every ratio is ours divided by the other side's from
the same run, so below 1 means faster or smaller. Progress goes to stderr.
"""

import json
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

BUILD, RUNS = sys.argv[1], int(sys.argv[2])
CLI = os.path.join(BUILD, "pixmoth-cli")
BENCH = os.path.join(BUILD, "bench")
DATA = os.path.join(BUILD, "bench-data", "run-all")
OWN_WORK = not os.environ.get("PIXMOTH_BENCH_DIR")
WORK = os.environ.get("PIXMOTH_BENCH_DIR") or tempfile.mkdtemp(prefix="pixmoth-run-all-")
os.makedirs(DATA, exist_ok=True)
os.makedirs(WORK, exist_ok=True)


def file_system(folder):
    # The first line: a folder under more than one mount gets one line each.
    found = subprocess.run(["findmnt", "-n", "-o", "FSTYPE", "-T", folder], capture_output=True,
                           text=True).stdout.split()
    if found:
        return found[0]
    return subprocess.run(["stat", "-f", "-c", "%T", folder], capture_output=True,
                          text=True).stdout.strip()


FS = file_system(WORK)
# A folder in memory for the figures that must leave the disk out.
MEMORY = WORK if FS == "tmpfs" else (
    tempfile.mkdtemp(prefix="pixmoth-run-all-", dir="/dev/shm")
    if os.path.isdir("/dev/shm") and file_system("/dev/shm") == "tmpfs" else None)


def clean_up():
    for folder, own in ((WORK, OWN_WORK), (MEMORY, MEMORY != WORK)):
        if folder and own:
            shutil.rmtree(folder, ignore_errors=True)


def note(text):
    print(text, file=sys.stderr, flush=True)


def data(name):
    return os.path.join(DATA, name)


def work(name):
    return os.path.join(WORK, name)


# ---------------------------------------------------------------------------
# Pictures, made once and kept in the build folder

def make_pictures():
    """Runs in a process of its own: a child's peak memory reads no lower than
    its parent's at the fork, so the timing process must stay small."""
    from PIL import Image

    def photo(size):
        # Smooth gradients with grain in one channel: compresses about as a photo does.
        r = Image.linear_gradient("L").resize(size)
        g = Image.radial_gradient("L").resize(size)
        b = Image.effect_noise(size, 40).point(lambda v: (v + 64) & 255)
        return Image.merge("RGB", (r, g, b))

    for name, size, kinds in (("large", (4000, 3000), ("ppm", "bmp", "jpg")),
                              ("small", (640, 480), ("ppm", "jpg")),
                              ("huge", (12000, 9000), ("jpg",))):
        if all(os.path.exists(data(f"{name}.{kind}")) for kind in kinds):
            continue
        note(f"making the {size[0]} x {size[1]} picture")
        picture = photo(size)
        for kind in kinds:
            options = {"quality": 90} if kind == "jpg" else {}
            picture.save(data(f"{name}.{kind}"), **options)
        del picture
    for name in ("large", "small"):
        if not os.path.exists(data(f"{name}.v")):
            subprocess.run(["vips", "copy", data(f"{name}.ppm"), data(f"{name}.v")], check=True)
    if not os.path.exists(data("blur.v")):
        # The blur benchmark's own picture, for vips.
        subprocess.run([os.path.join(BENCH, "bench_neighbourhood"), "--benchmark_filter=^BM_Memcpy$",
                        "--benchmark_min_time=0.01"], check=True, capture_output=True,
                       env=dict(os.environ, PIXMOTH_BENCH_DUMP=data("blur.raw")))
        subprocess.run(["vips", "rawload", data("blur.raw"), data("blur.v"), "4000", "3000", "3"],
                       check=True)


# ---------------------------------------------------------------------------
# Whole processes

def run(argv, env=None):
    """Wall seconds, CPU seconds (user + system, children included) and peak
    resident MiB of one run of argv."""
    start = time.perf_counter()
    process = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, env=env)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - start
    process.returncode = os.waitstatus_to_exitcode(status)
    if process.returncode != 0:
        raise SystemExit(f"failed ({process.returncode}): {' '.join(argv)}")
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024


def pair(ours, other, env_other=None):
    """Runs the two commands in turn; medians of each side and of the ratios
    taken pair by pair."""
    run(ours)
    run(other, env_other)
    a, b = [], []
    for _ in range(RUNS):
        a.append(run(ours))
        b.append(run(other, env_other))

    def med(side, k):
        return statistics.median(x[k] for x in side)

    def ratio(k):
        return statistics.median(x[k] / y[k] for x, y in zip(a, b) if y[k] > 0)

    return {"ours": [med(a, k) for k in range(3)], "other": [med(b, k) for k in range(3)],
            "ratio": [ratio(k) for k in range(3)]}


def difference(command, trivial, env=None):
    """Median wall and CPU seconds of `command` less those of `trivial`, run in
    turn: a peer's operation without its start-up and file handling."""
    run(command, env)
    run(trivial, env)
    wall, cpu = [], []
    for _ in range(RUNS):
        w1, c1, _ = run(command, env)
        w0, c0, _ = run(trivial, env)
        wall.append(w1 - w0)
        cpu.append(c1 - c0)
    return statistics.median(wall), statistics.median(cpu)


# ---------------------------------------------------------------------------
# In-process benchmarks

def benchmark(program, pattern, env=None, repetitions=None):
    """Median real time in seconds of each benchmark matching `pattern`,
    repetitions interleaved at random so that drift hits all alike."""
    reps = repetitions or max(5, RUNS // 2)
    out = subprocess.run(
        [os.path.join(BENCH, program), f"--benchmark_filter={pattern}", "--benchmark_format=json",
         f"--benchmark_repetitions={reps}", "--benchmark_enable_random_interleaving=true",
         "--benchmark_min_time=0.3"],
        check=True, capture_output=True, text=True, env=dict(os.environ, **(env or {}))).stdout
    scale = {"ms": 1e-3, "us": 1e-6, "ns": 1e-9, "s": 1.0}
    times = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("run_type") == "iteration":
            name = b["run_name"] if "run_name" in b else b["name"]
            times.setdefault(name, []).append(b["real_time"] * scale[b["time_unit"]])
    return {name: statistics.median(values) for name, values in times.items()}


def pick(results, prefix):
    """The one result whose name starts with `prefix`."""
    found = [t for name, t in results.items() if name.startswith(prefix)]
    if len(found) != 1:
        raise SystemExit(f"expected one benchmark named {prefix}..., got {sorted(results)}")
    return found[0]


def tjbench(args, column):
    out = subprocess.run(["tjbench", *args, "-benchtime", "2", "-warmup", "1", "-nowrite",
                          "-quiet"], check=True, capture_output=True, text=True).stdout
    for line in out.splitlines():
        words = line.split()
        if words and words[0] == "BGR":
            return float(words[column])
    raise SystemExit("no BGR line from tjbench")


def pillow_resize(source, size):
    """Median seconds of Pillow's Lanczos resize, timed inside Python."""
    code = ("import statistics,sys,time\nfrom PIL import Image\n"
            "im=Image.open(sys.argv[1]); im.load(); size=(int(sys.argv[2]),int(sys.argv[3]))\n"
            "im.resize(size,Image.Resampling.LANCZOS); t=[]\n"
            "for _ in range(int(sys.argv[4])):\n"
            "    s=time.perf_counter(); im.resize(size,Image.Resampling.LANCZOS)\n"
            "    t.append(time.perf_counter()-s)\n"
            "print(statistics.median(t))")
    out = subprocess.run(["/usr/bin/python3", "-c", code, source, str(size[0]), str(size[1]),
                          str(RUNS)], check=True, capture_output=True, text=True).stdout
    return float(out)


# ---------------------------------------------------------------------------
# The report

def machine():
    model = "unknown processor"
    with open("/proc/cpuinfo") as info:
        for line in info:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    isa = subprocess.run([CLI, "isa"], check=True, capture_output=True, text=True).stdout.strip()
    try:
        with open("/sys/kernel/mm/transparent_hugepage/enabled") as thp:
            huge = thp.read().split("[")[1].split("]")[0]
    except (OSError, IndexError):
        huge = "none"
    return model, isa, huge


def ms(seconds):
    return f"{seconds * 1e3:.1f} ms"


def main():
    model, isa, huge = machine()
    load = os.getloadavg()
    print(f"Processor: {model}, {os.cpu_count()} cores; {isa}")
    print(f"Transparent huge pages: {huge}; whole-process files in {WORK} ({FS})"
          + (f" and {MEMORY} (tmpfs)" if MEMORY and MEMORY != WORK else ""))
    subprocess.run(["/usr/bin/python3", __file__, BUILD, str(RUNS), "--make-pictures"],
                   check=True)
    floor = run(["true"])[2]
    print(f"Load average at the start: {load[0]:.1f}; {RUNS} runs per figure, medians; "
          f"peak memory reads no lower than {floor:.0f} MiB here\n")

    print("Whole processes (wall time from start to exit; peak resident memory)\n")
    print("| what | pixmoth-cli | peer or floor | ratio | bound |")
    print("|---|---|---|---|---|")

    def whole(what, ours, other, peer, bound="", memory=False):
        note(f"timing {what}")
        r = pair(ours, other)
        text = f"{ms(r['ours'][0])}"
        other_text = f"{peer} {ms(r['other'][0])}"
        ratio = f"{r['ratio'][0]:.2f}"
        if memory:
            text += f", {r['ours'][2]:.0f} MiB"
            other_text += f", {r['other'][2]:.0f} MiB"
            ratio += f" (memory {r['ratio'][2]:.2f})"
        print(f"| {what} | {text} | {other_text} | {ratio} | {bound} |", flush=True)

    # Every save of the program reaches the disk before it replaces the old
    # file (fsync); cp leaves its copy in the page cache. In memory (tmpfs)
    # nothing is flushed and the two compare like with like; on a disk, a
    # copy flushed as the program flushes (dd conv=fsync) is the floor.
    for folder, where in ((MEMORY, "tmpfs"), (WORK, FS)):
        if folder is None:
            continue
        shutil.copyfile(data("large.bmp"), os.path.join(folder, "large.bmp"))
        picture = os.path.join(folder, "large.bmp")
        rotate = [CLI, "apply", "RotateRight", picture, os.path.join(folder, "rotated.bmp")]
        whole(f"RotateRight, 4000 x 3000 BMP to BMP, files on {where}", rotate,
              ["cp", picture, os.path.join(folder, "copied.bmp")], "`cp` of the file",
              "2" if where == "tmpfs" else "")
        if where != "tmpfs":
            whole(f"RotateRight, 4000 x 3000 BMP to BMP, files on {where}", rotate,
                  ["dd", f"if={picture}", f"of={os.path.join(folder, 'copied.bmp')}",
                   "bs=4M", "conv=fsync", "status=none"], "`dd conv=fsync` of the file")
    whole("FlipDown, 4000 x 3000 JPEG to JPEG (q90)",
          [CLI, "apply", "FlipDown", data("large.jpg"), work("flipped.jpg")],
          ["sh", "-c", f"djpeg '{data('large.jpg')}' | cjpeg -quality 90 >'{work('re.jpg')}'"],
          "`djpeg \\| cjpeg`")
    vips_resize = ["vips", "resize", "--kernel", "lanczos3", "--gap", "0"]
    whole("Resample Lanczos3, 4000 x 3000 JPEG to 800 x 600 JPEG",
          [CLI, "resample", "Lanczos3", "800", "600", data("large.jpg"), work("small.jpg")],
          vips_resize + [data("large.jpg"), work("vips-small.jpg"), "0.2"], "`vips resize`",
          memory=True)
    whole("Resample Lanczos3, 12000 x 9000 JPEG to 800 x 600 JPEG",
          [CLI, "resample", "Lanczos3", "800", "600", data("huge.jpg"), work("small.jpg")],
          vips_resize + [data("huge.jpg"), work("vips-small.jpg"), str(800 / 12000)],
          "`vips resize`", "1 (time and memory)", memory=True)
    whole("Resample Lanczos3, 640 x 480 JPEG to 2560 x 1920 JPEG",
          [CLI, "resample", "Lanczos3", "2560", "1920", data("small.jpg"), work("large.jpg")],
          vips_resize + [data("small.jpg"), work("vips-large.jpg"), "4"], "`vips resize`",
          memory=True)

    print("\nOperations (in process, the picture in memory; peers' operations less their "
          "start-up)\n")
    print("| what | Pixmoth | peer or floor | ratio |")
    print("|---|---|---|---|")

    def row(what, ours, other, peer):
        print(f"| {what} | {ms(ours)} | {peer} {ms(other)} | {ours / other:.2f} |", flush=True)

    note("timing the transforms")
    t = benchmark("bench_transforms", "^BM_(Memcpy|RotateRight|FlipDown)$")
    row("RotateRight 4000 x 3000", t["BM_RotateRight"], t["BM_Memcpy"], "memcpy")
    row("FlipDown 4000 x 3000", t["BM_FlipDown"], t["BM_Memcpy"], "memcpy")
    note("timing the colour effects")
    c = benchmark("bench_colour_effects", "^BM_(Memcpy|GreyScale)/")
    row("GreyScale 4000 x 3000", pick(c, "BM_GreyScale"), pick(c, "BM_Memcpy"), "memcpy")
    note("timing the BMP codec")
    b = benchmark("bench_bmp", "^BM_(ReadIntoBuffer|LoadBmp|WriteFileAtomically|SaveBmp)$")
    row("LoadBmp 4000 x 3000", b["BM_LoadBmp"], b["BM_ReadIntoBuffer"], "read()")
    row("SaveBmp 4000 x 3000", b["BM_SaveBmp"], b["BM_WriteFileAtomically"],
        "WriteFileAtomically")
    note("timing the JPEG codec")
    jpeg_env = {"PIXMOTH_JPEG_BENCH_PPM": data("large.ppm"),
                "PIXMOTH_JPEG_BENCH_JPG": data("large.jpg")}
    # tjbench and the benchmark in turn, round by round, the ratio per round.
    encode, decode = [], []
    for _ in range(3):
        j = benchmark("bench_jpeg", "^BM_(EncodeJpeg|DecodeJpeg)/", jpeg_env, repetitions=3)
        pixels = 4000 * 3000
        tj_encode = pixels / tjbench([data("large.ppm"), "90", "-subsamp", "420",
                                      "-accuratedct"], 6) / 1e6
        tj_decode = pixels / tjbench([data("large.jpg"), "-accuratedct"], -1) / 1e6
        encode.append((pick(j, "BM_EncodeJpeg"), tj_encode))
        decode.append((pick(j, "BM_DecodeJpeg"), tj_decode))
    for what, rounds in (("JPEG encode 4000 x 3000, q90 4:2:0", encode),
                         ("JPEG decode 4000 x 3000", decode)):
        ratio = statistics.median(a / b for a, b in rounds)
        print(f"| {what} | {ms(statistics.median(a for a, _ in rounds))} | tjbench "
              f"{ms(statistics.median(b for _, b in rounds))} | {ratio:.2f} |", flush=True)
    note("timing GaussianBlur")
    g = benchmark("bench_neighbourhood", "^BM_GaussianBlur1$")
    vips_blur = difference(["vips", "gaussblur", data("blur.v"), work("blur.v"), "1"],
                           ["vips", "copy", data("blur.v"), work("blur.v")])
    row("GaussianBlur 1, 4000 x 3000", g["BM_GaussianBlur1"], vips_blur[0], "vips gaussblur")

    path = {"AVX-512": "AVX-512", "AVX2": "AVX2"}.get(isa.split()[2], "Plain")
    note("timing the resampler")
    r = benchmark("bench_resample", f"^BM_Resample/.*/{path}/",
                  {"PIXMOTH_RESAMPLE_PICTURES": DATA})
    for case, source, scale, kernel in (
            ("4000x3000_800x600_Lanczos3", "large", "0.2", "lanczos3"),
            ("4000x3000_800x600_Mitchell", "large", "0.2", "mitchell"),
            ("4000x3000_800x600_Triangle", "large", "0.2", "linear"),
            ("640x480_2560x1920_Lanczos3", "small", "4", "lanczos3")):
        source_size, target_size, _ = case.split("_")
        what = (source_size.replace("x", " x ") + " to " + target_size.replace("x", " x ") +
                " " + kernel.capitalize().replace("Linear", "Triangle"))
        command = ["vips", "resize", data(f"{source}.v"), work("out.v"), scale, "--kernel",
                   kernel, "--gap", "0"]
        crop = ["vips", "crop", data(f"{source}.v"), work("out.v"), "0", "0", "8", "8"]
        both = r[f"BM_Resample/{case}/{path}/real_time"]
        one = r[f"BM_Resample/{case}/{path}/1thread/real_time"]
        row(f"Resample {what}, all cores", both, difference(command, crop)[0], "libvips")
        one_thread = dict(os.environ, VIPS_CONCURRENCY="1")
        row(f"Resample {what}, one thread", one, difference(command, crop, one_thread)[0],
            "libvips")
        if source == "small":
            row(f"Resample {what}, one thread", one,
                pillow_resize(data("small.ppm"), (2560, 1920)), "Pillow")

    end = os.getloadavg()
    print(f"\nLoad average at the end: {end[0]:.1f}")


# Interrupted, the scratch folders still go.
signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
try:
    if sys.argv[3:] == ["--make-pictures"]:
        make_pictures()
    else:
        main()
finally:
    clean_up()
