#!/usr/bin/env python3
"""Makes the lab's gallery lessons, examples/lessons/*.txt: for each, a from_layers network of a
fixed seed with the training parameters, and one of the engine's classroom data sets as its
patterns, written as net_train --lesson writes a lesson, so that net_train, net_lab and the
page train it alike. Rerun it after a change to the engine's drawing of weights or data sets.
Usage: /usr/bin/python3 scripts/make_lessons.py [BUILD_DIR]   (default: build; needs the
Python module, the target neural_creatures_python)"""
import os
import sys
import tempfile

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(root, sys.argv[1] if len(sys.argv) > 1 else "build", "python"))
import neural_creatures as nc  # noqa: E402

# Every lesson's neurons have this slope: with it the playground's shapes train in a few
# hundred passes, where the default slope's small gradients take tens of thousands.
slope = 2.0
weight_seed = 1
data_seed = 1

# file, the text that opens it, layer sizes, data set, points, noise, learning rate,
# error limit, iteration limit, held-out share.
lessons = [
    ("no_hidden_layer.txt",
     "Exclusive-or without a hidden layer: one neuron draws one straight line across the map,\n"
     "and no straight line puts the corners of one class apart from the other two. Training\n"
     "reaches its iteration limit with half the points wrong.",
     [2, 1], "xor", 100, 0.0, 0.2, 0.3, 3000, 0.0),
    ("two_clouds.txt",
     "Two clouds of points, one per class: a single neuron learns the straight line between them.",
     [2, 1], "gaussians", 200, 0.0, 0.05, 0.45, 5000, 0.0),
    ("circle_two_neurons.txt",
     "A circle inside a ring with two hidden neurons: two straight lines cannot fence a circle\n"
     "in, and training reaches its iteration limit.",
     [2, 2, 1], "circle", 200, 0.0, 0.2, 0.2, 20000, 0.0),
    ("circle.txt",
     "A circle inside a ring with six hidden neurons: their six lines fence the circle in.",
     [2, 6, 1], "circle", 200, 0.0, 0.2, 0.2, 20000, 0.0),
    ("spirals.txt",
     "Two interleaved spirals with two hidden layers of eight: the second layer combines the\n"
     "first one's lines into the spirals' curves (one hidden layer of eight does not get there).",
     [2, 8, 8, 1], "spirals", 200, 0.0, 0.2, 0.4, 50000, 0.0),
    ("over_fitting.txt",
     "Over-fitting: two noisy clouds of forty points, half of them held out of training. A large\n"
     "network learns the twenty training points exactly, noise and all, while the held-out\n"
     "points' errors stay high: the status and the curve show both.",
     [2, 16, 16, 1], "gaussians", 40, 0.1, 1.0, 0.02, 20000, 0.5),
]


def lesson_text(sizes, name, points, noise, learning_rate, error_limit, max_iterations, share):
    network = nc.Network.from_layers(sizes, weight_seed, slope_parameter=slope, learning_rate=learning_rate)
    inputs, targets = nc.data_set(name, points, noise, data_seed)
    records = [f"pattern: {x[0]!r} {x[1]!r} -> {t[0]!r}" for x, t in zip(inputs.tolist(), targets.tolist())]
    records += [f"error_limit: {error_limit!r}", f"max_iterations: {max_iterations}",
                f"learning_rate: {learning_rate!r}", "learn_thresholds: 1",
                f"test_share: {share!r}", f"test_seed: {data_seed}"]
    with tempfile.TemporaryDirectory() as work:
        training = os.path.join(work, "training.txt")
        with open(training, "w", encoding="utf-8") as out:
            out.write("\n".join(records) + "\n")
        network.load_training(training)
    return network.to_text(training=True)


def main():
    folder = os.path.join(root, "examples", "lessons")
    os.makedirs(folder, exist_ok=True)
    for file, about, *recipe in lessons:
        path = os.path.join(folder, file)
        temporary = path + ".new"
        with open(temporary, "w", encoding="utf-8") as out:
            out.write(about + "\n\n" + lesson_text(*recipe))
        os.replace(temporary, path)
        print(f"wrote {os.path.relpath(path, root)}")


main()
