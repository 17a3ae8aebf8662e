#!/usr/bin/env python3
"""Prints bench/compare.sh's figures as Markdown tables: each command beside its
peer with the ratio and the goal, then the resident sizes by file length.

    compare_table.py RESULTS.tsv CORES MACHINE

RESULTS.tsv rows: name, "time" or "rss", who, value (ms or MB)."""
import datetime
import sys

# name: (what, the peers' names, goal text, check(times, sizes) -> bool or None)
ROWS = {
    "version": ("`quillane-cli --version`", ["mpg123"], "< 5 ms, < 8 MB",
                lambda t, m: t["quillane"] < 5 and m["quillane"] < 8),
    "info": ("`info` of the 1-minute file", ["mpg123"], "< 5 ms, < 8 MB",
             lambda t, m: t["quillane"] < 5 and m["quillane"] < 8),
    "info-hour": ("`info` of the hour file (the same reads as the minute)", ["mpg123"], "", None),
    "save": ("`save`, 3 cuts and a fade", ["cat", "cat+sync"], "≤ 1.25, < 12 MB",
             lambda t, m: t["quillane"] / t["cat"] <= 1.25 and m["quillane"] < 12),
    "split": ("`split` into 20 pieces at cues", ["cat", "cat+sync", "mp3splt"], "≤ 1.3 to cat, ≤ 0.5 to mp3splt",
              lambda t, m: t["quillane"] / t["cat"] <= 1.3 and t["mp3splt"] / t["quillane"] >= 2),
    "selection": ("`save --selection` of 40 minutes", ["ffmpeg"], "≤ 0.25",
                  lambda t, m: t["ffmpeg"] / t["quillane"] >= 4),
    "normalize-mpg123": ("`normalize --decoder mpg123`", ["mpg123"], "≤ 0.59 (1.7× faster)",
                         lambda t, m: t["mpg123"] / t["quillane"] >= 1.7),
    "pauses-mpg123": ("`pauses --decoder mpg123`", ["mpg123"], "≤ 0.59 (1.7× faster)",
                      lambda t, m: t["mpg123"] / t["quillane"] >= 1.7),
    "normalize-ffmpeg": ("`normalize --decoder system`", ["ffmpeg"], "", None),
    "pauses-ffmpeg": ("`pauses --decoder system`", ["ffmpeg"], "", None),
    "window": ("the window: start to the first painted view of the hour file", ["empty", "text"], "≤ 1.2",
               lambda t, m: t["quillane"] / t["empty"] <= 1.2),
}
PEER_COMMANDS = {
    "version": {"mpg123": "`mpg123 --version`"},
    "info": {"mpg123": "`mpg123 --version`"},
    "info-hour": {"mpg123": "`mpg123 --version`"},
    "save": {"cat": "`cat FILE > OUT`", "cat+sync": "`cat FILE > OUT && sync OUT`"},
    "split": {"cat": "`cat FILE > OUT`", "cat+sync": "`cat FILE > OUT && sync OUT`",
              "mp3splt": "`mp3splt -f` at the same cues"},
    "selection": {"ffmpeg": "`ffmpeg -ss A -to B -i FILE -c copy`"},
    "normalize-mpg123": {"mpg123": "`mpg123 -t`"},
    "pauses-mpg123": {"mpg123": "`mpg123 -t`"},
    "normalize-ffmpeg": {"ffmpeg": "`ffmpeg -f null`"},
    "pauses-ffmpeg": {"ffmpeg": "`ffmpeg -f null`"},
    "window": {"empty": "an empty `QMainWindow`, to its first paint",
               "text": "the same with a menu bar and a status line"},
}


def figure(ms, mb):
    time = f"{ms:.1f} ms" if ms < 100 else f"{ms / 1000:.2f} s"
    return f"{time}, {mb:.1f} MB"


def main():
    results, cores, machine = sys.argv[1], sys.argv[2], sys.argv[3]
    times, sizes = {}, {}
    for line in open(results, encoding="utf-8"):
        name, kind, who, value = line.rstrip("\n").split("\t")
        (times if kind == "time" else sizes).setdefault(name, {})[who] = float(value)

    date = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d")
    print(f"Measured {date} on {machine}, {cores} cores; medians of whole-process runs, warm cache.\n")
    print("| command | quillane-cli | peer | peer's figure | quillane-cli ÷ peer | goal | |")
    print("|---|---|---|---|---|---|---|")
    for name, (what, peers, goal, check) in ROWS.items():
        if name not in times:
            continue
        t, m = times[name], sizes.get(name, {})
        verdict = "" if check is None else ("met" if check(t, m) else "missed")
        for i, peer in enumerate(peers):
            ratio = t["quillane"] / t[peer]
            first = i == 0
            print(f"| {what if first else ''} | {figure(t['quillane'], m['quillane']) if first else ''} "
                  f"| {PEER_COMMANDS[name][peer]} | {figure(t[peer], m[peer])} | {ratio:.2f} "
                  f"| {goal if first else ''} | {verdict if first else ''} |")

    lengths = ["minute", "hour", "ten-hours"]
    commands = ["info", "save", "split", "selection", "normalize", "pauses"]
    print("\n| resident size (MB) | 1 minute | 1 hour | 10 hours |")
    print("|---|---|---|---|")
    for command in commands:
        cells = [sizes.get(f"{command}@{length}", {}).get("quillane") for length in lengths]
        print(f"| `{command}` | " + " | ".join("" if c is None else f"{c:.1f}" for c in cells) + " |")


if __name__ == "__main__":
    main()
