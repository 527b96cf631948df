#!/usr/bin/env python3
"""Exclusive-or as in a notebook: a network from its layer sizes and a seed, trained on NumPy
arrays, then its picture and its learning curve. Each "# %%" block is one notebook cell; in
Jupyter, a cell ending in `network` shows the picture itself.

    python3 exclusive_or_notebook.py [--picture exclusive_or.svg] [--curve curve.png]
"""
import argparse
import sys

import numpy as np

import neural_creatures

parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
parser.add_argument("--picture", default="exclusive_or.svg", help="SVG picture of the trained network")
parser.add_argument("--curve", default="exclusive_or_curve.png", help="learning curve picture (needs matplotlib)")
arguments = parser.parse_args()

# %% Two inputs, two hidden neurons, one output; the seed repeats the starting weights.
# Threshold 2 with slope parameter 2 gives every neuron the offset exclusive-or needs, and the
# steep slope gets small starting weights. Learning each neuron's threshold too, as a bias,
# 46 of the seeds 0 to 49 learn exclusive-or within 50,000 passes (the others end with a
# hidden neuron stuck).
network = neural_creatures.Network.from_layers([2, 2, 1], seed=9, threshold=2.0, slope_parameter=2.0,
                                               learning_rate=0.5)
network.learn_thresholds = True
inputs = np.array([[0, 0], [0, 1], [1, 0], [1, 1]])
targets = np.array([0, 1, 1, 0])
network.error_limit = 0.05
network.max_iterations = 50000
network

# %% Train; Ctrl-C stops it and keeps the weights of the last whole pass.
result, passes, curve = network.train(inputs, targets, curve=True)
print("%s after %d passes" % (result, passes))
for row, output in zip(inputs, network.evaluate(inputs)):
    print("  %d %d -> %.4f" % (row[0], row[1], output[0]))

# %% The network's picture, with the outputs of the last row evaluated.
network.evaluate([1, 0])
with open(arguments.picture, "w") as picture:
    picture.write(network._repr_svg_())
print("picture:", arguments.picture)

# %% The learning curve: the worst error and the mean squared error after each pass.
try:
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
except ImportError:
    print("matplotlib is not installed (python3-matplotlib); the curve, in", len(curve), "rows:")
    for row in curve[:: max(1, len(curve) // 8)]:
        print("  pass %6d: worst error %.4f, mean squared error %.6f" % tuple(row))
    sys.exit(0 if result == neural_creatures.TrainResult.CONVERGED else 1)
figure, axes = plt.subplots(figsize=(7, 4))
axes.plot(curve[:, 0], curve[:, 1], label="worst error")
axes.plot(curve[:, 0], curve[:, 2], label="mean squared error")
axes.axhline(network.error_limit, linestyle="--", color="grey", label="error limit")
axes.set_xlabel("training pass")
axes.set_yscale("log")
axes.legend()
figure.tight_layout()
figure.savefig(arguments.curve)
print("learning curve:", arguments.curve)
sys.exit(0 if result == neural_creatures.TrainResult.CONVERGED else 1)
