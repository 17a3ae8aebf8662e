#!/usr/bin/python3
"""Gapless split benchmark: how exactly do split pieces join again?

Encodes one music-like signal with three encoders (LAME CBR, LAME VBR, FFmpeg's
libmp3lame), and, where no gapless information applies, as Layer II (TwoLAME)
and as Layer III without a LAME tag (LAME -t); splits each file at 12 cues at
arbitrary times (to the millisecond, so each boundary lies inside a frame) with
every tool measured, decodes every piece gaplessly (mpg123, which honours the LAME tag's
delay and padding) and lays the pieces end to end against the source's own
gapless decode. For each tool and file it prints:

  lost/added   samples missing (-) or added (+) in all, and the worst split point
               (found by aligning each piece's start on the source)
  max diff     the largest sample difference over the whole length, each piece
               aligned where it fits best, leaving out the first granule (576
               samples) behind every split point (the filterbank's overlap,
               which no frame cut can keep)
  garbage      frames (1152 samples) behind the split points, past that first
               granule, that differ from the source by more than --threshold
  pieces ok    pieces every decoder took without a complaint

  bench/gapless_split.py [--seconds 90] [--cli build/h/src/cli/quillane-cli]
                         [--baseline-cli OTHER-quillane-cli] [--keep DIR]
                         [--peers ffmpeg,mp3splt]

A file without a LAME tag has no delay and padding to honour: there the pieces
are frame-exact, and what is measured is that they lose and add nothing, and
whether they carry garbage. Layer II keeps no bit reservoir (mpg123 decodes it
without trimming); a Layer III file without a tag has no delay field to make a
decoder drop the frames that a piece's first frame takes its main data from.

The peers are FFmpeg's stream copy (-ss/-to -c copy) and mp3splt's default mode,
run as programs. Needs sox, lame, twolame, ffmpeg, mpg123, mp3splt and python3-numpy.
Not run by the tests.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

import numpy as np

RATE = 44100
GRANULE = 576
FRAME = 1152


def run(cmd, **kw):
    return subprocess.run(cmd, check=True, stdout=subprocess.PIPE, stderr=subprocess.PIPE, **kw)


def make_sources(work, seconds):
    sweeps = os.path.join(work, "sweeps.wav")
    noise = os.path.join(work, "noise.wav")
    wav = os.path.join(work, "music.wav")
    sox = ["sox", "-R", "-D", "-V1"]
    run(sox + ["-r", str(RATE), "-c", "2", "-n", "-b", "16", sweeps, "synth", str(seconds),
               "sine", "100-8000", "sine", "150-6000", "gain", "-12"])
    run(sox + ["-r", str(RATE), "-c", "2", "-n", "-b", "16", noise, "synth", str(seconds),
               "pinknoise", "gain", "-4", "tremolo", "1.5", "100"])
    run(sox + ["-m", sweeps, noise, "-b", "16", wav])
    files = {
        "LAME CBR 192": ["lame", "--quiet", "--noreplaygain", "-b", "192", wav],
        "LAME VBR -V2": ["lame", "--quiet", "--noreplaygain", "-V", "2", wav],
        "FFmpeg 128k": ["ffmpeg", "-nostdin", "-v", "error", "-y", "-i", wav, "-c:a", "libmp3lame", "-b:a", "128k",
                        "-id3v2_version", "0", "-write_id3v1", "0"],
        "LAME CBR 192, no tag": ["lame", "--quiet", "--noreplaygain", "-t", "-b", "192", wav],
        "TwoLAME 192 (Layer II)": ["twolame", "--quiet", "-b", "192", wav],
    }
    paths = {}
    for i, (name, cmd) in enumerate(files.items()):
        out = os.path.join(work, f"source{i}" + (".mp2" if name.startswith("TwoLAME") else ".mp3"))
        run(cmd + [out])
        paths[name] = out
    return paths


def cue_times(seconds):
    # 12 points at arbitrary times: spread evenly, each moved by an odd fraction.
    offsets = [0.123, 0.771, 0.457, 0.019, 0.904, 0.333, 0.681, 0.245, 0.866, 0.512, 0.098, 0.627]
    step = seconds / 13.0
    return [round(step * (i + 1) + offsets[i] - 0.5, 3) for i in range(12)]


def decode(path):
    out = subprocess.run(["mpg123", "-q", "-s", path], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    samples = np.frombuffer(out.stdout, dtype="<i2").astype(np.int32).reshape(-1, 2)
    clean = out.returncode == 0 and not out.stderr.strip()
    ff = subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-i", path, "-f", "null", "-"],
                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    clean = clean and ff.returncode == 0 and not ff.stderr.strip()
    return samples, clean


def pieces_sorted(folder):
    names = sorted(n for n in os.listdir(folder) if n.endswith((".mp3", ".mp2")))
    return [os.path.join(folder, n) for n in names]


def split_quillane(cli, source, cues, folder, sample_accurate=False):
    cmd = [cli, "split", source, "--dir", folder, "--pattern", "%N"]
    if sample_accurate:
        cmd.append("--sample-accurate")
    for c in cues:
        cmd += ["--cue", f"{c:.3f}"]
    run(cmd)
    return pieces_sorted(folder)


def split_ffmpeg(source, cues, folder):
    bounds = [0.0] + cues + [None]
    for i in range(len(bounds) - 1):
        # Both before -i: input positions, the stream copied from the frame there.
        cmd = ["ffmpeg", "-nostdin", "-v", "error", "-y", "-ss", f"{bounds[i]:.3f}"]
        if bounds[i + 1] is not None:
            cmd += ["-to", f"{bounds[i + 1]:.3f}"]
        extension = os.path.splitext(source)[1]
        run(cmd + ["-i", source, "-c", "copy", os.path.join(folder, f"{i + 1:02d}{extension}")])
    return pieces_sorted(folder)


def mp3splt_time(seconds):
    minutes = int(seconds // 60)
    rest = seconds - 60 * minutes
    whole = int(rest)
    hundredths = int(round((rest - whole) * 100))
    if hundredths == 100:
        whole, hundredths = whole + 1, 0
    return f"{minutes}.{whole:02d}.{hundredths:02d}"


def split_mp3splt(source, cues, folder):
    points = ["0.00"] + [mp3splt_time(c) for c in cues] + ["EOF"]
    run(["mp3splt", "-Q", "-d", folder, "-o", "@n", source] + points)
    return pieces_sorted(folder)


def best_lag(source, at, piece, reach=3000, length=4096, skip=2 * FRAME):
    """Where the piece's start fits the source best, relative to `at`."""
    mono_s = source[:, 0] + source[:, 1]
    mono_p = piece[:, 0] + piece[:, 1]
    window = mono_p[skip:skip + length]
    if len(window) < length:
        return 0
    lo = max(0, at + skip - reach)
    hi = min(len(mono_s) - length, at + skip + reach)
    best, best_err = 0, None
    for start in range(lo, hi + 1):
        err = np.abs(mono_s[start:start + length] - window).sum()
        if best_err is None or err < best_err:
            best, best_err = start - (at + skip), err
            if err == 0:
                break
    return best


def measure(source_samples, pieces, threshold):
    position = 0
    lags = []
    max_diff = 0
    garbage = 0
    for index, piece in enumerate(pieces):
        lag = 0 if index == 0 else best_lag(source_samples, position, piece)
        if index:
            lags.append(lag)
        start = position + lag
        # Compare the piece where it fits, leaving out its first granule behind a split.
        skip = GRANULE if index else 0
        end = min(len(piece), len(source_samples) - start)
        if end > skip and start >= 0:
            diff = np.abs(piece[skip:end] - source_samples[start + skip:start + end]).max(axis=1)
            max_diff = max(max_diff, int(diff.max()))
            if index:
                head = diff[: 10 * FRAME]
                for f in range(0, len(head), FRAME):
                    if head[f:f + FRAME].max() > threshold:
                        garbage += 1
        position = start + len(piece)
    total = sum(len(p) for p in pieces) - len(source_samples)
    return total, lags, max_diff, garbage


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--seconds", type=float, default=90)
    parser.add_argument("--cli", default="build/h/src/cli/quillane-cli")
    parser.add_argument("--baseline-cli", help="a quillane-cli without these features, measured beside it")
    parser.add_argument("--threshold", type=int, default=64, help="sample difference that makes a frame garbage")
    parser.add_argument("--keep", help="keep the work files in this folder")
    parser.add_argument("--peers", default="ffmpeg,mp3splt", help="the peers measured beside it (comma-separated)")
    args = parser.parse_args()

    work = args.keep or tempfile.mkdtemp(prefix="gapless-split-")
    os.makedirs(work, exist_ok=True)
    cues = cue_times(args.seconds)
    tools = [("Quillane", lambda s, f: split_quillane(os.path.abspath(args.cli), s, cues, f)),
             ("Quillane --sample-accurate",
              lambda s, f: split_quillane(os.path.abspath(args.cli), s, cues, f, sample_accurate=True))]
    if args.baseline_cli:
        tools.append(("Quillane (before)", lambda s, f: split_quillane(os.path.abspath(args.baseline_cli), s, cues, f)))
    peers = args.peers.split(",")
    if "ffmpeg" in peers:
        tools.append(("FFmpeg -c copy", lambda s, f: split_ffmpeg(s, cues, f)))
    if "mp3splt" in peers:
        tools.append(("mp3splt (default)", lambda s, f: split_mp3splt(s, cues, f)))

    print(f"{args.seconds:g} s, 12 split points at {', '.join(f'{c:.3f}' for c in cues)} s; "
          f"decoded with mpg123 (gapless); garbage: |difference| > {args.threshold}")
    print()
    print("| file | tool | pieces | samples lost/added (total) | worst split point | max diff (past 1st granule)"
          " | garbage frames | pieces decode clean |")
    print("|---|---|---|---|---|---|---|---|")
    try:
        for name, path in make_sources(work, args.seconds).items():
            source_samples, _ = decode(path)
            for tool, split in tools:
                folder = os.path.join(work, f"{os.path.basename(path)}-{tool.split()[0]}-{len(tool)}")
                shutil.rmtree(folder, ignore_errors=True)
                os.makedirs(folder)
                try:
                    paths = split(path, folder)
                except subprocess.CalledProcessError as e:
                    print(f"| {name} | {tool} | failed: {e.stderr.decode(errors='replace').strip()[:80]} |||||")
                    continue
                except OSError as e:
                    print(f"| {name} | {tool} | failed: {e} |||||")
                    continue
                decoded = [decode(p) for p in paths]
                total, lags, max_diff, garbage = measure(source_samples, [d[0] for d in decoded], args.threshold)
                worst = max(lags, key=abs) if lags else 0
                clean = sum(1 for d in decoded if d[1])
                print(f"| {name} | {tool} | {len(paths)} | {total:+d} | {worst:+d} | {max_diff} | {garbage} |"
                      f" {clean}/{len(paths)} |")
                sys.stdout.flush()
    finally:
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
