#!/usr/bin/python3
"""Draws a learning curve that net_train wrote with --curve, as a PNG: the worst error and
the mean squared error per pass on a logarithmic scale, and the error limit. Without a curve
file it trains the exclusive-or example itself and draws the README's picture:

    python3 scripts/plot_curve.py [--net-train PATH] [CURVE.csv [OUT.png [ERROR_LIMIT]]]

Needs Debian's python3-matplotlib (apt-get install python3-matplotlib).
"""

import csv
import os
import re
import subprocess
import sys
import tempfile

import matplotlib

matplotlib.use("Agg")  # no display needed
import matplotlib.pyplot as plt  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EXAMPLE = os.path.join(ROOT, "examples", "exclusive_or_training.txt")
PICTURE = os.path.join(ROOT, "docs", "images", "net_train_curve.png")


def read_curve(path):
    """The rows of a curve file as (pass, worst error, mean squared error); "#" lines skipped."""
    with open(path, newline="") as curve:
        rows = csv.reader(line for line in curve if not line.startswith("#"))
        next(rows)  # the header
        return [(int(row[0]), float(row[1]), float(row[2])) for row in rows]


def train_example(net_train, curve_path):
    """Trains the exclusive-or example with a curve; returns the error limit of the report."""
    done = subprocess.run([net_train, "--seed", "1", "--curve", curve_path, EXAMPLE],
                          capture_output=True, text=True, check=False)
    found = re.search(r"\(error limit (\S+),", done.stdout)
    if done.returncode not in (0, 1) or not found:
        sys.exit(f"net_train failed ({done.returncode}): {done.stderr}")
    return float(found.group(1))


def plot(rows, error_limit, title, out_path):
    passes = [row[0] for row in rows]
    figure, axes = plt.subplots(figsize=(7, 3.6), dpi=100)
    axes.plot(passes, [row[1] for row in rows], label="worst error", color="tab:blue")
    axes.plot(passes, [row[2] for row in rows], label="mean squared error", color="tab:orange")
    if error_limit is not None:
        axes.axhline(error_limit, color="tab:red", linestyle="--", linewidth=1,
                     label=f"error limit {error_limit:g}")
    axes.set_yscale("log")
    axes.set_xlabel("training passes")
    axes.set_ylabel("error")
    axes.set_title(title)
    axes.grid(True, which="major", alpha=0.3)
    axes.legend()
    figure.tight_layout()
    figure.savefig(out_path)
    print(f"wrote {out_path}")


def main(arguments):
    net_train = os.path.join(ROOT, "build", "net_train", "net_train")
    if arguments[:1] == ["--net-train"]:
        net_train, arguments = arguments[1], arguments[2:]
    if arguments:
        curve_path = arguments[0]
        out_path = arguments[1] if len(arguments) > 1 else os.path.splitext(curve_path)[0] + ".png"
        error_limit = float(arguments[2]) if len(arguments) > 2 else None
        plot(read_curve(curve_path), error_limit, os.path.basename(curve_path), out_path)
        return
    with tempfile.TemporaryDirectory() as work:
        curve_path = os.path.join(work, "curve.csv")
        error_limit = train_example(net_train, curve_path)
        plot(read_curve(curve_path), error_limit, "net_train exclusive_or_training.txt --curve curve.csv", PICTURE)


if __name__ == "__main__":
    main(sys.argv[1:])
