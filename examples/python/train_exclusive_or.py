#!/usr/bin/env python3
"""Trains exclusive-or with the neural_creatures module, one pass at a time, and shows the
learning curve: the largest error over the four patterns after each pass. With matplotlib
installed (Debian package python3-matplotlib) the curve is saved as a picture; without it,
a few points of it are printed.

    python3 train_exclusive_or.py [TRAINING_FILE] [--plot learning_curve.png]
"""
import argparse
import os
import sys

import numpy as np

import neural_creatures

EXAMPLES = [os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."),
            "/usr/share/neural-creatures/examples"]


def default_training_file():
    for directory in EXAMPLES:
        path = os.path.join(directory, "exclusive_or_training.txt")
        if os.path.exists(path):
            return path
    return "exclusive_or_training.txt"


def learning_curve(network):
    """Trains one pass at a time until the network converges or reaches its iteration limit;
    returns the largest error before the first pass and after each pass."""
    inputs, expected = network.patterns
    limit = network.max_iterations
    network.max_iterations = 1
    errors = [float(np.max(np.abs(network.evaluate(inputs) - expected)))]
    for _ in range(limit):
        result, _ = network.train()
        if result == "converged":
            break
        errors.append(float(np.max(np.abs(network.evaluate(inputs) - expected))))
    network.max_iterations = limit
    return errors


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("training_file", nargs="?", default=default_training_file())
    parser.add_argument("--plot", default="learning_curve.png", help="picture to write (needs matplotlib)")
    parser.add_argument("--output", help="network file to write the trained network to")
    arguments = parser.parse_args()

    network = neural_creatures.Network(arguments.training_file)
    network.load_training(arguments.training_file)
    errors = learning_curve(network)
    passes = len(errors) - 1
    converged = errors[-1] <= network.error_limit
    print("%s after %d passes; largest error %.4f (limit %g)"
          % ("converged" if converged else "not converged", passes, errors[-1], network.error_limit))
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
        step = max(1, passes // 10)
        print("matplotlib is not installed; the curve, every %d passes:" % step)
        for index in range(0, len(errors), step):
            print("  pass %6d: %.4f" % (index, errors[index]))
        return 0 if converged else 1
    figure, axes = plt.subplots(figsize=(7, 4))
    axes.plot(range(len(errors)), errors)
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
