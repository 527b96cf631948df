"""The estimator calls of neural_creatures.Network: fit on labels or targets with rows shuffled
from a seed, predict and score, the callback, set_weights, pickle and copies."""
import copy
import pickle

import numpy as np
import pytest

from neural_creatures import FitStep, Network, TrainResult

XOR_INPUTS = np.array([[0, 0], [0, 1], [1, 0], [1, 1]], dtype=float)


def xor_network(outputs):
    return Network.from_layers([2, 3, outputs], seed=9, threshold=2.0, slope_parameter=2.0, learning_rate=0.5)


def bits(network):
    return b"".join(w.tobytes() for w in network.weights)


def iris():
    datasets = pytest.importorskip("sklearn.datasets")
    inputs, labels = datasets.load_iris(return_X_y=True)
    return (inputs - inputs.min(0)) / (inputs.max(0) - inputs.min(0)), labels


@pytest.mark.parametrize("outputs, y", [
    (2, np.array([0, 1, 1, 0])),                      # labels, one output per class
    (2, np.array([[1, 0], [0, 1], [0, 1], [1, 0]])),  # the same as one-hot targets
    (1, np.array([0, 1, 1, 0])),                      # labels of a single output
    (1, np.array([0.0, 1.0, 1.0, 0.0])),              # its targets
])
def test_labels_train_as_their_one_hot_targets(outputs, y):
    network = xor_network(outputs)
    assert network.fit(XOR_INPUTS, y, epochs=3000, shuffle=False) is network
    expected = [[1, 0], [0, 1], [0, 1], [1, 0]] if outputs == 2 else [[0], [1], [1], [0]]
    direct = xor_network(outputs)
    direct.max_iterations = 3000
    direct.train(XOR_INPUTS, expected)
    assert bits(network) == bits(direct)
    assert list(network.predict(XOR_INPUTS)) == [0, 1, 1, 0]
    assert network.score(XOR_INPUTS, np.array([0, 1, 1, 0])) == 1.0
    assert network.score(XOR_INPUTS, np.array([1, 1, 1, 0])) == 0.75
    outputs_now = network.predict_proba(XOR_INPUTS)
    assert network.score(XOR_INPUTS, np.array(expected, dtype=float)) == np.mean((outputs_now - expected) ** 2)


def test_hyper_parameters_of_fit_train_as_the_attributes_do():
    network = xor_network(2)
    network.fit(XOR_INPUTS, [0, 1, 1, 0], shuffle=False, learning_rate=0.25, error_limit=0.2, max_weight=3.0,
                learn_thresholds=True)
    direct = xor_network(2)
    direct.learning_rate, direct.error_limit, direct.max_weight, direct.learn_thresholds = 0.25, 0.2, 3.0, True
    run = direct.train(XOR_INPUTS, [[1, 0], [0, 1], [0, 1], [1, 0]])
    assert bits(network) == bits(direct) and network.last_run == run and network.learning_rate == 0.25


@pytest.mark.parametrize("call, error, match", [
    (lambda n: n.fit(XOR_INPUTS, [0, 1, 2, 0]), ValueError, r"class label 2 in row 2.*classes 0 to 1"),
    (lambda n: n.fit(XOR_INPUTS, [0, -1, 1, 0]), ValueError, r"class label -1"),
    (lambda n: n.fit(XOR_INPUTS, [0.0, 1.0, 1.0, 0.0]), ValueError, r"class labels \(a 1-D array of integers"),
    (lambda n: n.fit(XOR_INPUTS, [[0, 1.5]] * 4), ValueError, r"0\.\.1.*row 0, column 1 holds 1\.5"),
    (lambda n: n.fit(XOR_INPUTS, [0, 1, 1]), ValueError, r"X has 4 rows and y 3"),
    (lambda n: n.fit(XOR_INPUTS[0], [0]), ValueError, r"X must be a 2-D array"),
    (lambda n: n.fit(np.ones((4, 3)), [0, 1, 1, 0]), ValueError, r"3"),
    (lambda n: n.fit(XOR_INPUTS, [0, 1, 1, 0], callback=5), TypeError, r"callback"),
    (lambda n: n.fit(XOR_INPUTS, [0, 1, 1, 0], seed=-1), ValueError, r"seed"),
    (lambda n: n.fit(XOR_INPUTS, [0, 1, 1, 0], learning_rate=-1), ValueError, r"learning_rate"),
    (lambda n: n.score(XOR_INPUTS, [0, 1, 5, 0]), ValueError, r"class label 5"),
    (lambda n: Network.from_layers([2, 1], max_iterations=-1), ValueError, r"max_iterations"),
    (lambda n: n.set_weights([np.zeros((3, 2))]), ValueError, r"one array per computing layer, 2, not 1"),
    (lambda n: n.set_weights([np.zeros((3, 2)), np.zeros((3, 2))]), ValueError, r"layer 2 \(2 neurons after 3\)"),
    (lambda n: n.set_weights([np.full((3, 2), np.nan), np.zeros((2, 3))]), ValueError, r"layer 1.*finite"),
])
def test_what_is_wrong_is_named_and_nothing_changes(call, error, match):
    network = xor_network(2)
    before = bits(network)
    with pytest.raises(error, match=match):
        call(network)
    assert bits(network) == before and network.last_run is None


def test_shuffling_follows_the_seed_to_the_bit():
    inputs, labels = np.random.default_rng(3).random((40, 2)), np.arange(40) % 2
    runs = {}
    for seed, shuffle in [(1, True), (1, True), (2, True), (1, False)]:
        network = xor_network(2)
        network.fit(inputs, labels, epochs=20, seed=seed, shuffle=shuffle)
        runs.setdefault((seed, shuffle), []).append((bits(network), network.patterns[0]))
    assert runs[(1, True)][0][0] == runs[(1, True)][1][0]
    assert len({runs[key][0][0] for key in runs}) == 3
    held = runs[(1, True)][0][1]
    assert not (held == inputs).all() and sorted(map(tuple, held)) == sorted(map(tuple, inputs))
    assert (runs[(1, False)][0][1] == inputs).all()


def test_the_callback_sees_every_pass_and_can_stop_the_run():
    network = xor_network(2)
    steps = []
    network.fit(XOR_INPUTS, [0, 1, 1, 0], epochs=100, test_share=0.25, callback_every=7, curve=True,
                callback=lambda step: steps.append(step) or step.passes < 30)
    assert all(isinstance(step, FitStep) and step.held_out_worst is not None for step in steps)
    assert [step.passes for step in steps] == [7, 14, 21, 28, 35]
    assert sum(step.new_passes for step in steps) == network.last_run.passes == 35
    assert network.last_run.result is TrainResult.STOPPED and network.last_run.curve[-1][0] == 35
    assert network.last_run.curve[-1][1] == steps[-1].worst and "stopped by its callback" in repr(network)


def test_keyboard_interrupt_keeps_the_partial_run_and_its_weights():
    network = xor_network(2)
    before = bits(network)
    passes = []

    def interrupt(step):
        passes.append(step.passes)
        if step.passes >= 12:
            raise KeyboardInterrupt

    with pytest.raises(KeyboardInterrupt):
        network.fit(XOR_INPUTS, [0, 1, 1, 0], epochs=1000, callback=interrupt, callback_every=4, curve=True)
    assert passes == [4, 8, 12] and network.last_run.result is TrainResult.INTERRUPTED
    assert network.last_run.passes == network.last_run.curve[-1][0] == 12 and bits(network) != before
    assert network.patterns[0].shape == (4, 2)


def test_set_weights_round_trips_and_keeps_them_unclamped():
    source = xor_network(2)
    source.fit(XOR_INPUTS, [0, 1, 1, 0], epochs=200)
    target = Network.from_layers([2, 3, 2], seed=4, threshold=2.0, slope_parameter=2.0)
    target.set_weights(source.weights)
    assert bits(target) == bits(source)
    assert (target.predict_proba(XOR_INPUTS) == source.predict_proba(XOR_INPUTS)).all()
    big = [w * 0 + 50.0 for w in source.weights]
    target.set_weights(big)
    assert all((w == 50.0).all() for w in target.weights)


@pytest.mark.parametrize("duplicate", [pickle.loads, copy.copy, copy.deepcopy])
def test_kept_networks_give_the_same_outputs_and_training_to_the_bit(duplicate):
    network = Network.from_layers([2, 3, 2], seed=9, threshold=2.0, slope_parameter=2.0, learning_rate=0.5,
                                  max_weight=7.5, error_limit=0.02, max_iterations=321, learn_thresholds=True)
    assert (network.max_weight, network.error_limit, network.max_iterations, network.learn_thresholds) == \
        (7.5, 0.02, 321, True)
    network.fit(XOR_INPUTS, [0, 1, 1, 0], epochs=50, test_share=0.25, seed=5, curve=True)
    kept = duplicate(pickle.dumps(network) if duplicate is pickle.loads else network)
    assert bits(kept) == bits(network)
    assert [t.tobytes() for t in kept.thresholds] == [t.tobytes() for t in network.thresholds]
    assert kept.predict_proba(XOR_INPUTS).tobytes() == network.predict_proba(XOR_INPUTS).tobytes()
    for name in ["error_limit", "max_iterations", "learning_rate", "max_weight", "learn_thresholds", "threshold",
                 "slope_parameter"]:
        assert getattr(kept, name) == getattr(network, name), name
    assert kept.last_run.passes == network.last_run.passes and repr(kept) == repr(network)
    assert kept.to_text(training=True) == network.to_text(training=True)  # held-out share and seed included
    kept.train()
    network.train()
    assert bits(kept) == bits(network)


def test_iris_shuffled_reaches_a_good_accuracy():
    inputs, labels = iris()
    network = Network.from_layers([4, 8, 3], seed=1)
    network.fit(inputs, labels, epochs=200, seed=3)
    assert network.score(inputs, labels) >= 0.9
    in_class_order = Network.from_layers([4, 8, 3], seed=1)
    in_class_order.fit(inputs, labels, epochs=200, shuffle=False)
    assert in_class_order.score(inputs, labels) < network.score(inputs, labels)
