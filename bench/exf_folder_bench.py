#!/usr/bin/env python3
"""Geotagging a folder of camera pictures: exf against exiftool and a plain copy.

Makes a corpus of camera-like JPEGs (2-12 MB of image data behind the EXIF
block of a real camera: maker note, thumbnail and all, taken from the JPEGs in
--samples, else one block written by exiftool), taken over two days, and a GPX
track of each day (one point a second). Then, each on the same copy of the
corpus and each into a fresh folder, times:

  exf geotag --gpx DAY1 --gpx DAY2 -j 1 -o DIR CORPUS    (files synced when it ends)
  exf geotag ... -j CORES                                 (the same, N at once)
  cp -r CORPUS DIR && sync
  exiftool -geotag DAY1 -geotag DAY2 -o DIR/ CORPUS       (and then sync)
  exf geotag ... -j CORES --in-place COPY                 (on a fresh copy, made untimed)
  exf strip-gps -j CORES -o DIR TAGGED                    (the pictures exf tagged)

and checks that exf and exiftool wrote the same positions.

Each command runs --repeat times, interleaved with the others; the median
counts. With --work on a memory file system (/dev/shm) the disk is out of
the race and the figures show the work of each tool alone.

usage: exf_folder_bench.py --exf BINARY [--samples DIR] [--count N] [--repeat N] [--work DIR]
"""
import argparse, datetime, json, os, random, shutil, struct, subprocess, sys, time


def noise_picture(work, width, height, quality):
    """A JPEG of noise: its size is set by its dimensions and quality."""
    path = os.path.join(work, f"base-{width}x{height}-q{quality}.jpg")
    if not os.path.exists(path):
        ppm = path + ".ppm"
        with open(ppm, "wb") as f:
            f.write(b"P6 %d %d 255\n" % (width, height) + os.urandom(width * height * 3))
        subprocess.run(["cjpeg", "-quality", str(quality), "-outfile", path, ppm], check=True)
        os.remove(ppm)
    return path


def segments(data):
    """(marker, start, end) of each segment before the image data."""
    pos, out = 2, []
    while pos + 4 <= len(data) and data[pos] == 0xFF:
        marker = data[pos + 1]
        if marker in (0xDA, 0xD9):
            break
        length = struct.unpack(">H", data[pos + 2:pos + 4])[0]
        out.append((marker, pos, pos + 2 + length))
        pos += 2 + length
    return out


def exif_segment(data):
    for marker, start, end in segments(data):
        if marker == 0xE1 and data[start + 4:start + 10] == b"Exif\0\0":
            return data[start:end]
    return None


def date_time_original(app1):
    """Offset in the APP1 segment of DateTimeOriginal's 19 characters, if any."""
    tiff = 10
    order = {b"II": "<", b"MM": ">"}.get(bytes(app1[tiff:tiff + 2]))
    if not order:
        return None

    def entries(ifd):
        at = tiff + ifd
        if at + 2 > len(app1):
            return
        count = struct.unpack(order + "H", app1[at:at + 2])[0]
        for i in range(count):
            e = at + 2 + 12 * i
            if e + 12 > len(app1):
                return
            tag, typ, n = struct.unpack(order + "HHI", app1[e:e + 8])
            yield tag, typ, n, struct.unpack(order + "I", app1[e + 8:e + 12])[0]

    ifd0 = struct.unpack(order + "I", app1[tiff + 4:tiff + 8])[0]
    for tag, _, _, value in entries(ifd0):
        if tag == 0x8769:
            for t, typ, n, v in entries(value):
                if t == 0x9003 and typ == 2 and n >= 20 and tiff + v + 19 <= len(app1):
                    return tiff + v
    return None


def camera_blocks(samples, work):
    """EXIF segments of real cameras (those with a DateTimeOriginal)."""
    blocks = []
    for name in sorted(os.listdir(samples)) if samples else []:
        try:
            data = open(os.path.join(samples, name), "rb").read()
        except OSError:
            continue
        app1 = exif_segment(data) if data[:2] == b"\xff\xd8" else None
        if app1 and date_time_original(app1) is not None:
            blocks.append(app1)
    if not blocks:  # one block written by exiftool: make, model, a maker-note-like entry, a thumbnail
        picture = noise_picture(work, 640, 480, 50)
        thumb = os.path.join(work, "thumb.jpg")
        shutil.copy(noise_picture(work, 160, 120, 50), thumb)
        tagged = os.path.join(work, "exiftool-camera.jpg")
        shutil.copy(picture, tagged)
        subprocess.run(["exiftool", "-q", "-overwrite_original", "-Make=Camera Maker", "-Model=Model 7",
                        "-DateTimeOriginal=2024:05:01 09:00:00", "-ExposureTime=1/250", "-FNumber=5.6",
                        "-ISO=200", "-FocalLength=50", "-LensModel=Lens 24-70", "-UserComment=" + "x" * 2000,
                        f"-ThumbnailImage<={thumb}", tagged], check=True)
        blocks.append(exif_segment(open(tagged, "rb").read()))
    return blocks


def make_corpus(work, samples, count):
    corpus = os.path.join(work, "corpus")
    if os.path.isdir(corpus) and len(os.listdir(corpus)) == count:
        return corpus, json.load(open(os.path.join(work, "days.json")))
    shutil.rmtree(corpus, ignore_errors=True)
    os.makedirs(corpus)
    bases = [open(noise_picture(work, w, h, q), "rb").read()
             for w, h, q in [(3000, 2000, 40), (4000, 3000, 40), (4000, 3000, 70), (4000, 3000, 85), (4000, 3000, 95)]]
    blocks = camera_blocks(samples, work)
    rng = random.Random(1)
    days = ["2024-05-01", "2024-05-02"]
    for i in range(count):
        base = bases[i % len(bases)]
        body = base[segments(base)[0][2]:] if segments(base)[0][0] == 0xE0 else base[2:]  # without JFIF
        app1 = bytearray(blocks[i % len(blocks)])
        day = days[i * len(days) // count]
        taken = f"{day.replace('-', ':')} {9 + rng.randrange(10):02d}:{rng.randrange(60):02d}:{rng.randrange(60):02d}"
        at = date_time_original(app1)
        app1[at:at + 19] = taken.encode()
        with open(os.path.join(corpus, f"IMG_{i:04d}.jpg"), "wb") as f:
            f.write(b"\xff\xd8" + app1 + body)
    tracks = []
    for d, day in enumerate(days):
        track = os.path.join(work, f"day{d + 1}.gpx")
        start = datetime.datetime.fromisoformat(day + "T08:30:00")
        with open(track, "w") as f:
            f.write('<?xml version="1.0"?>\n<gpx version="1.1" creator="bench" '
                    'xmlns="http://www.topografix.com/GPX/1/1"><trk><trkseg>\n')
            for s in range(11 * 3600):  # 08:30 to 19:30, one point a second
                t = start + datetime.timedelta(seconds=s)
                f.write(f'<trkpt lat="{45 + d + s * 1e-5:.7f}" lon="{7 + s * 2e-5:.7f}"><ele>{400 + s % 500}</ele>'
                        f'<time>{t.isoformat()}Z</time></trkpt>\n')
            f.write("</trkseg></trk></gpx>\n")
        tracks.append(track)
    json.dump(tracks, open(os.path.join(work, "days.json"), "w"))
    return corpus, tracks


def timed(command, out_dir, then_sync=False, allowed=(0,), copy_of=None):
    shutil.rmtree(out_dir, ignore_errors=True)
    if copy_of:
        shutil.copytree(copy_of, out_dir)
    else:
        os.makedirs(out_dir)
    subprocess.run(["sync"], check=True)
    start = time.perf_counter()
    r = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=dict(os.environ, TZ="UTC"))
    if then_sync:
        subprocess.run(["sync"], check=True)
    seconds = time.perf_counter() - start
    if r.returncode not in allowed:
        sys.exit(f"exf_folder_bench: {' '.join(command)} failed ({r.returncode}):\n{r.stderr[-2000:]}")
    return seconds, r.stdout


def positions(folder):
    r = subprocess.run(["exiftool", "-j", "-n", "-q", "-GPSLatitude", "-GPSLongitude", "-GPSAltitude", folder],
                       stdout=subprocess.PIPE, text=True, check=True)
    return {os.path.basename(e["SourceFile"]): (e.get("GPSLatitude"), e.get("GPSLongitude"), e.get("GPSAltitude"))
            for e in json.loads(r.stdout)}


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--exf", required=True)
    ap.add_argument("--samples", help="folder of camera JPEGs whose EXIF blocks the corpus carries")
    ap.add_argument("--count", type=int, default=300)
    ap.add_argument("--repeat", type=int, default=3, help="runs of each command; the median is shown")
    ap.add_argument("--work", default=os.path.join(os.environ.get("TMPDIR", "/tmp"), "exf-folder-bench"))
    a = ap.parse_args()
    for tool in ("exiftool", "cjpeg"):
        if not shutil.which(tool):
            print(f"exf_folder_bench: {tool} is not installed; skipped")
            return 0
    os.makedirs(a.work, exist_ok=True)
    corpus, tracks = make_corpus(a.work, a.samples, a.count)
    size = sum(os.path.getsize(os.path.join(corpus, n)) for n in os.listdir(corpus))
    cores = os.cpu_count() or 1
    gpx = [x for t in tracks for x in ("--gpx", t)]
    out = lambda name: os.path.join(a.work, name)
    print(f"corpus: {a.count} files, {size / 1e6:.0f} MB, in {corpus}; {cores} cores")
    runs = [
        ("exf geotag -j 1", [a.exf, "geotag", *gpx, "-j", "1", "-o", out("exf-j1"), corpus], out("exf-j1"), False),
        (f"exf geotag -j {cores}", [a.exf, "geotag", *gpx, "-j", str(cores), "-o", out("exf-jn"), corpus],
         out("exf-jn"), False),
        ("cp -r, then sync", ["cp", "-r", corpus + "/.", out("copy")], out("copy"), True),
        ("exiftool -geotag, then sync",
         ["exiftool", "-q", *[x for t in tracks for x in ("-geotag", t)], "-o", out("exiftool") + "/", corpus],
         out("exiftool"), True),
        (f"exf geotag -j {cores} --in-place", [a.exf, "geotag", *gpx, "-j", str(cores), "--in-place", out("in-place")],
         out("in-place"), False),
        (f"exf strip-gps -j {cores} -o", [a.exf, "strip-gps", "-j", str(cores), "-o", out("stripped"), out("exf-jn")],
         out("stripped"), False),
    ]
    times = {name: [] for name, *_ in runs}
    for _ in range(a.repeat):  # interleaved, so that a busy moment of the machine is shared out
        for name, command, folder, then_sync in runs:
            seconds, log = timed(command, folder, then_sync, allowed=(0, 1) if command[0] == a.exf else (0,),
                                 copy_of=corpus if folder == out("in-place") else None)
            times[name].append(seconds)
            if command[0] == a.exf and len(times[name]) == 1:
                print(f"  {name}: {log.strip().splitlines()[-1]}")
            if folder not in (out("exf-jn"), out("exiftool")):
                shutil.rmtree(folder, ignore_errors=True)
    median = {name: sorted(t)[len(t) // 2] for name, t in times.items()}
    for name, seconds in median.items():
        print(f"  {name:<30} {seconds:8.2f} s  {a.count / seconds:8.1f} files/s  {size / 1e6 / seconds:8.1f} MB/s"
              f"   (runs: {', '.join(f'{t:.2f}' for t in times[name])})")
    t1, tn, tc, te = (median[name] for name, *_ in runs[:4])
    print(f"  exiftool / exf -j {cores}: {te / tn:.1f}x;  exf -j {cores} / cp+sync: {tn / tc:.2f}x;"
          f"  exf -j 1 / exf -j {cores}: {t1 / tn:.2f}x")
    ours, theirs = positions(out("exf-jn")), positions(out("exiftool"))
    worst = max((abs(o - t) for f in ours if f in theirs for o, t in zip(ours[f][:2], theirs[f][:2])
                 if o is not None and t is not None), default=None)
    print(f"  positions: {len(ours)} files from exf, {len(theirs)} from exiftool, largest difference {worst} degrees")
    return 0


if __name__ == "__main__":
    sys.exit(main())
