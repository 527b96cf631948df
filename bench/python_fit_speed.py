"""The Python module's fit against train on the same patterns: processor time of each, medians
of rounds taken in turns, without a callback and with one every pass; speed is train's time
over fit's (1 or more: fit as fast as train). Data from Debian's
python3-sklearn (iris, digits), scaled to 0..1.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_fit_speed.py [rounds]
"""
import statistics
import sys
import time

import numpy as np
from sklearn.datasets import load_digits, load_iris

import neural_creatures as nc

SETS = [("iris", load_iris, [4, 8, 3], 2000), ("digits", load_digits, [64, 32, 10], 20)]


def timed(call):
    start = time.process_time()
    call()
    return time.process_time() - start


def network(sizes):
    # An error limit of 0 never converges: every round makes all its epochs.
    return nc.Network.from_layers(sizes, seed=1, learning_rate=0.5, error_limit=0.0)


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 9
    print(f"{'data set':10} {'epochs':>6} {'train s':>9} {'fit s':>9} {'speed':>9} {'callback s':>10} {'speed':>9}")
    for name, load, sizes, epochs in SETS:
        inputs, labels = load(return_X_y=True)
        inputs = (inputs - inputs.min(0)) / np.maximum(inputs.max(0) - inputs.min(0), 1e-12)
        shuffled = network(sizes)
        shuffled.fit(inputs, labels, epochs=0, seed=3)
        patterns = shuffled.patterns  # the rows in fit's order, as train gets them
        times = {"train": [], "fit": [], "callback": []}
        for _ in range(rounds):
            trained = network(sizes)
            trained.max_iterations = epochs
            times["train"].append(timed(lambda: trained.train(*patterns)))
            fitted = network(sizes)
            times["fit"].append(timed(lambda: fitted.fit(inputs, labels, epochs=epochs, seed=3)))
            watched = network(sizes)
            times["callback"].append(timed(lambda: watched.fit(inputs, labels, epochs=epochs, seed=3,
                                                               callback=lambda step: None)))
            assert all((a == b).all() for a, b in zip(trained.weights, fitted.weights))
        train, fit, callback = (statistics.median(times[key]) for key in ("train", "fit", "callback"))
        print(f"{name:10} {epochs:6} {train:9.4f} {fit:9.4f} {train / fit:9.3f} {callback:10.4f} {train / callback:9.3f}")


if __name__ == "__main__":
    main()
