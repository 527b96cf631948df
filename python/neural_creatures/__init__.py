"""The neural-creatures engine for Python: feed-forward networks read from network files,
evaluated on NumPy arrays, trained by back-propagation and written back.

    import neural_creatures
    net = neural_creatures.Network.from_layers([2, 2, 1], seed=9)
    net.threshold, net.slope_parameter, net.learning_rate = 2.0, 2.0, 0.5
    result, passes = net.train([[0, 0], [0, 1], [1, 0], [1, 1]], [0, 1, 1, 0])
    outputs = net.evaluate([[0, 0], [0, 1], [1, 0], [1, 1]])   # one row of outputs per row
    net.write("exclusive_or.txt")
    inputs, targets = neural_creatures.data_set("spirals", points=300, noise=0.05, seed=4)
"""
from neural_creatures._engine import (Diagnostic, FitStep, Network, NetworkFileError, NetworkFileWarning, TrainingRun,
                                      TrainingRunWithCurve, TrainResult, __version__, data_set)

__all__ = ["Diagnostic", "FitStep", "Network", "NetworkFileError", "NetworkFileWarning", "TrainResult", "TrainingRun",
           "TrainingRunWithCurve", "__version__", "data_set"]
