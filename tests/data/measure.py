#!/usr/bin/env python3
"""Measures the MPEG audio files in this folder from their bytes alone.

Prints a Markdown table (and, with -v, per-file details) of: file size, ID3v2
tag, offset of the first frame, VBR tag frame ("Xing"/"Info"/"VBRI") and its
counts, offset of the first audio frame, frame count, bit rates, duration and
ID3v1 tag. Written independently of the editor's code, straight from the
ISO/IEC 11172-3 and 13818-3 header layout.

Usage: measure.py [-v] [files...]   (default: every .mp1/.mp2/.mp3 here)
"""
import os
import sys

# Bit rates in kbit/s, index 1..14.
BITRATES = {
    (1, 1): [32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448],
    (1, 2): [32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384],
    (1, 3): [32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320],
    (2, 1): [32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256],
    (2, 2): [8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160],
    (2, 3): [8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160],
}
RATES = {1: [44100, 48000, 32000], 2: [22050, 24000, 16000], 25: [11025, 12000, 8000]}
MODES = ["stereo", "joint", "dual", "mono"]
VERSION_NAMES = {1: "MPEG-1", 2: "MPEG-2", 25: "MPEG-2.5"}


def parse_header(b):
    """Returns a dict for a plausible 4-byte frame header, else None."""
    if len(b) < 4 or b[0] != 0xFF or (b[1] & 0xE0) != 0xE0:
        return None
    vbits = (b[1] >> 3) & 3
    lbits = (b[1] >> 1) & 3
    if vbits == 1 or lbits == 0:
        return None
    version = {3: 1, 2: 2, 0: 25}[vbits]
    layer = 4 - lbits
    bri = b[2] >> 4
    sri = (b[2] >> 2) & 3
    if bri in (0, 15) or sri == 3:
        return None
    table_version = 1 if version == 1 else 2
    kbps = BITRATES[(table_version, layer)][bri - 1]
    rate = RATES[version][sri]
    pad = (b[2] >> 1) & 1
    mode = b[3] >> 6
    if layer == 1:
        length = (12 * kbps * 1000 // rate + pad) * 4
        samples = 384
    elif layer == 2:
        length = 144 * kbps * 1000 // rate + pad
        samples = 1152
    else:
        factor = 144 if version == 1 else 72
        length = factor * kbps * 1000 // rate + pad
        samples = 1152 if version == 1 else 576
    if version == 1:
        tag_offset = 21 if mode == 3 else 36
    else:
        tag_offset = 13 if mode == 3 else 21
    return {
        "version": version, "layer": layer, "kbps": kbps, "rate": rate,
        "pad": pad, "mode": mode, "crc": (b[1] & 1) == 0, "length": length,
        "samples": samples, "tag_offset": tag_offset, "bytes": b[:4],
    }


def same_stream(a, b):
    return (a["version"], a["layer"], a["rate"]) == (b["version"], b["layer"], b["rate"])


def find_frame(data, start, end):
    """First offset >= start whose header is plausible and is followed by a
    matching header (or by the end of the audio)."""
    for p in range(start, end - 3):
        h = parse_header(data[p:p + 4])
        if not h:
            continue
        q = p + h["length"]
        if q == end:
            return p, h
        n = parse_header(data[q:q + 4]) if q + 4 <= end else None
        if n and same_stream(h, n):
            return p, h
    return None, None


def be32(b):
    return int.from_bytes(b[:4], "big")


def measure(path):
    data = open(path, "rb").read()
    r = {"name": os.path.basename(path), "size": len(data)}

    # ID3v2 at the start: 10-byte header, syncsafe size, optional footer.
    id3v2 = 0
    if data[:3] == b"ID3" and len(data) >= 10:
        size = 0
        for c in data[6:10]:
            size = (size << 7) | (c & 0x7F)
        id3v2 = 10 + size + (10 if data[5] & 0x10 else 0)
        r["id3v2_version"] = "2.%d.%d" % (data[3], data[4])
    r["id3v2"] = id3v2

    # ID3v1 at the end.
    end = len(data)
    r["id3v1"] = len(data) >= 128 and data[-128:-125] == b"TAG"
    if r["id3v1"]:
        end -= 128
        t = data[-128:]
        r["id3v1_fields"] = {
            "title": t[3:33].rstrip(b"\0 "), "artist": t[33:63].rstrip(b"\0 "),
            "album": t[63:93].rstrip(b"\0 "), "year": t[93:97],
            "comment": t[97:125].rstrip(b"\0 ") if t[125] == 0 else t[97:127].rstrip(b"\0 "),
            "track": t[126] if t[125] == 0 else None, "genre": t[127],
        }

    first, h = find_frame(data, id3v2, end)
    r["first"] = first
    if first is None:
        return r
    r["header"] = h
    r["gap"] = first - id3v2  # bytes between ID3v2 (or file start) and sync

    # VBR tag frame.
    r["tag"] = None
    t = first + h["tag_offset"]
    name = data[t:t + 4]
    if name in (b"Xing", b"Info"):
        r["tag"] = name.decode()
        r["tag_at"] = h["tag_offset"]
        flags = be32(data[t + 4:t + 8])
        r["tag_flags"] = flags
        p = t + 8
        r["tag_frames"] = r["tag_bytes"] = None
        if flags & 1:
            r["tag_frames"] = be32(data[p:p + 4])
            p += 4
        if flags & 2:
            r["tag_bytes"] = be32(data[p:p + 4])
            p += 4
        if flags & 4:
            p += 100
        if flags & 8:
            p += 4
        enc = data[p:p + 9]
        if enc[:4] == b"LAME" or enc[:4] == b"Lavc" or enc[:4] == b"Lavf":
            r["encoder"] = enc.rstrip(b"\0 ").decode("latin-1")
            d = data[p + 21:p + 24]
            r["enc_delay"] = (d[0] << 4) | (d[1] >> 4)
            r["enc_padding"] = ((d[1] & 0x0F) << 8) | d[2]
    elif data[first + 36:first + 40] == b"VBRI":
        r["tag"] = "VBRI"
        r["tag_at"] = 36
    audio = first + h["length"] if r["tag"] else first
    r["audio"] = audio

    # Walk the audio frames.
    frames = 0
    rates = {}
    lengths = set()
    p = audio
    resyncs = 0
    samples = 0
    while p + 4 <= end:
        f = parse_header(data[p:p + 4])
        if not f or not same_stream(f, h) or p + f["length"] > end:
            q, f2 = find_frame(data, p + 1, end)
            if q is None:
                break
            resyncs += 1
            p = q
            continue
        frames += 1
        samples += f["samples"]
        rates[f["kbps"]] = rates.get(f["kbps"], 0) + 1
        lengths.add(f["length"])
        p += f["length"]
    r["frames"] = frames
    r["audio_end"] = p
    r["trailing"] = end - p
    r["resyncs"] = resyncs
    r["rates"] = rates
    r["lengths"] = sorted(lengths)
    r["duration"] = samples / h["rate"]
    return r


def rate_text(r):
    rates = r["rates"]
    if len(rates) == 1:
        return "%d CBR" % next(iter(rates))
    return "%d-%d (%d values)" % (min(rates), max(rates), len(rates))


def row(r):
    if r["first"] is None:
        return "| %s | %d | no frame found |" % (r["name"], r["size"])
    h = r["header"]
    fmt = "%s L%s %d Hz %s%s" % (
        VERSION_NAMES[h["version"]], "I" * h["layer"], h["rate"], MODES[h["mode"]],
        " CRC" if h["crc"] else "")
    tag = "-"
    if r["tag"] in ("Xing", "Info"):
        tag = "%s @%d" % (r["tag"], r["tag_at"])
    elif r["tag"]:
        tag = "%s @%d" % (r["tag"], r["tag_at"])
    counts = "-"
    if r["tag"] in ("Xing", "Info"):
        counts = "%s / %s" % (r["tag_frames"], r["tag_bytes"])
    id3v2 = "%d (v%s)" % (r["id3v2"], r["id3v2_version"]) if r["id3v2"] else "no"
    return "| %s | %d | %s | %s | %d | %s | %s | %d | %d | %s | %.3f | %s |" % (
        r["name"], r["size"], fmt, h["bytes"].hex(" ").upper(), r["first"], tag,
        counts, r["audio"], r["frames"], rate_text(r), r["duration"], id3v2 if True else "",
    ) + (" yes |" if r["id3v1"] else " no |")


HEAD = ("| file | size | format (first frame) | header | first frame | VBR tag @ offset in frame "
        "| tag frames / bytes | first audio frame | audio frames | kbit/s | duration s | ID3v2 bytes | ID3v1 |\n"
        "|---|---:|---|---|---:|---|---|---:|---:|---|---:|---|---|")


def details(r):
    out = ["%s:" % r["name"]]
    for k in ("gap", "tag_flags", "encoder", "enc_delay", "enc_padding", "audio_end",
              "trailing", "resyncs", "lengths", "rates", "id3v1_fields"):
        if k in r:
            out.append("  %s = %r" % (k, r[k]))
    return "\n".join(out)


def main(argv):
    verbose = "-v" in argv
    files = [a for a in argv if a != "-v"]
    if not files:
        here = os.path.dirname(os.path.abspath(__file__))
        files = sorted(os.path.join(here, f) for f in os.listdir(here)
                       if f.endswith((".mp1", ".mp2", ".mp3")))
    results = [measure(f) for f in files]
    print(HEAD)
    for r in results:
        print(row(r))
    if verbose:
        print()
        for r in results:
            print(details(r))


if __name__ == "__main__":
    main(sys.argv[1:])
