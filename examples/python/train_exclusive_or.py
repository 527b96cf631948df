#!/usr/bin/env python3
"""Trains exclusive-or with the neural_creatures module and shows the learning curve: the
largest error over the four patterns after each pass. With matplotlib
installed (Debian package python3-matplotlib) the curve is saved as a picture; without it,
a few points of it are printed.

    python3 train_exclusive_or.py [TRAINING_FILE] [--plot learning_curve.png]
"""
import argparse
import os
import sys

import neural_creatures

EXAMPLES = [os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."),
            "/usr/share/neural-creatures/examples"]


def default_training_file():
    for directory in EXAMPLES:
        path = os.path.join(directory, "exclusive_or_training.txt")
        if os.path.exists(path):
            return path
    return "exclusive_or_training.txt"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("training_file", nargs="?", default=default_training_file())
    parser.add_argument("--plot", default="learning_curve.png", help="picture to write (needs matplotlib)")
    parser.add_argument("--output", help="network file to write the trained network to")
    arguments = parser.parse_args()

    network = neural_creatures.Network(arguments.training_file)
    result, passes, curve = network.train(arguments.training_file, curve=True)
    converged = result == neural_creatures.TrainResult.CONVERGED
    print("%s after %d passes; largest error %.4f (limit %g)"
          % ("converged" if converged else "not converged", passes, curve[-1, 1], network.error_limit))
    inputs, _ = network.patterns
    for row, output in zip(inputs, network.evaluate(inputs)):
        print("  %s -> %.4f" % (" ".join("%g" % value for value in row), output[0]))
    if arguments.output:
        network.write(arguments.output)
        print("written:", arguments.output)

    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        print("matplotlib is not installed; the curve, in %d rows:" % len(curve))
        for row in curve[:: max(1, len(curve) // 10)]:
            print("  pass %6d: %.4f" % (row[0], row[1]))
        return 0 if converged else 1
    figure, axes = plt.subplots(figsize=(7, 4))
    axes.plot(curve[:, 0], curve[:, 1])
    axes.axhline(network.error_limit, linestyle="--", color="grey", label="error limit")
    axes.set_xlabel("training pass")
    axes.set_ylabel("largest error over the patterns")
    axes.set_title("Learning exclusive-or")
    axes.legend()
    figure.tight_layout()
    figure.savefig(arguments.plot)
    print("learning curve:", arguments.plot)
    return 0 if converged else 1


if __name__ == "__main__":
    sys.exit(main())
