"""The neural-creatures engine for Python: feed-forward networks read from network files,
evaluated on NumPy arrays, trained by back-propagation and written back.

    import neural_creatures
    net = neural_creatures.Network("exclusive_or_training.txt")
    result, passes = net.train("exclusive_or_training.txt")
    outputs = net.evaluate([[0, 0], [0, 1], [1, 0], [1, 1]])   # one row of outputs per row
    net.write("exclusive_or.txt")
"""
from neural_creatures._engine import Diagnostic, Network, NetworkFileError, __version__

__all__ = ["Diagnostic", "Network", "NetworkFileError", "__version__"]
