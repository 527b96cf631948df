# Type stubs of the neural_creatures module, for editors and type checkers.
import enum
import os
from typing import Any, Callable, Dict, Iterable, List, Literal, NamedTuple, Optional, Sequence, Tuple, Union, overload

import numpy as np
import numpy.typing as npt

__version__: str

# What the module takes as a path; a name of the stub only, the module has none.
_PathLike = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]

class NetworkFileError(ValueError):
    """A network file, training file or text the engine refuses; the message names the reasons
    and their lines."""

class NetworkFileWarning(UserWarning):
    """A value a file or text is read with that its author probably did not mean; issued with
    warnings.warn as "FILE: line N: message" by the readers, which read the value all the same."""

class TrainResult(str, enum.Enum):
    """How a training run ended; each member equals its str value ("converged", ...).
    train() never returns NO_USABLE_PATTERNS: it raises instead."""
    CONVERGED = "converged"
    ITERATION_LIMIT = "iteration limit"
    NO_USABLE_PATTERNS = "no usable patterns"
    INTERRUPTED = "interrupted"
    STOPPED = "stopped"
    def __new__(cls, value: str) -> TrainResult: ...

class TrainingRun(NamedTuple):
    """What train() returns: how the run ended and the passes it made."""
    result: TrainResult
    passes: int

class TrainingRunWithCurve(NamedTuple):
    """What train(curve=True) returns: a TrainingRun with its learning curve, a 2-D array of
    rows (pass, worst error, mean squared error), the rows net_train --curve writes."""
    result: TrainResult
    passes: int
    curve: npt.NDArray[np.float64]

class FitStep(NamedTuple):
    """What fit's callback gets between steps: the passes of the run so far and of this step,
    and the errors of the training rows and of the held-out ones (None without any)."""
    passes: int
    new_passes: int
    worst: float
    mean_squared: float
    held_out_worst: Optional[float]
    held_out_mean_squared: Optional[float]

class Diagnostic:
    @property
    def line(self) -> int: ...
    @property
    def message(self) -> str: ...

class Network:
    """A feed-forward network. Every call raises MemoryError when memory runs short (arrays too
    large to copy, a network or patterns that do not fit) and leaves the network as it was."""
    def __init__(self, path: _PathLike, seed: Optional[int] = None) -> None:
        """Reads a network file; missing weights from `seed` (0 to 2**32 - 1) or the clock.
        Raises OSError (FileNotFoundError, ..., at once for a FIFO or device), ValueError for a
        null byte in the path or a bad seed, NetworkFileError for no usable network."""
    @staticmethod
    def from_text(text: str, seed: Optional[int] = None) -> Network:
        """The network of a network file holding `text`. Raises NetworkFileError, and
        UnicodeEncodeError (a ValueError) for a str with lone surrogates."""
    @staticmethod
    def from_layers(
        sizes: Iterable[int],
        seed: Optional[int] = None,
        *,
        threshold: Optional[float] = None,
        slope_parameter: Optional[float] = None,
        learning_rate: Optional[float] = None,
        max_weight: Optional[float] = None,
        error_limit: Optional[float] = None,
        max_iterations: Optional[int] = None,
        learn_thresholds: Optional[bool] = None,
    ) -> Network:
        """A network of these layer sizes (input layer first, at least two, each 1 or more)
        whose neurons have the parameters given (the defaults for those left out), with random
        weights from `seed` or the clock, each layer's evenly within
        +-2 * sqrt(6 / (fan_in + fan_out)) / slope_parameter**2 (at the default slope of 0.5,
        Glorot's range for the logistic doubled), at most max_weight. Raises ValueError for
        sizes, seeds or parameters out of range, or layers beyond the 1000000 neurons and
        30000000 connections a network holds, TypeError for what is not a sequence of ints."""
    @property
    def input_count(self) -> int: ...
    @property
    def output_count(self) -> int: ...
    @property
    def layer_sizes(self) -> List[int]: ...
    def evaluate(self, inputs: npt.ArrayLike) -> npt.NDArray[np.float64]:
        """One row gives one row of outputs, a 2-D array one row per row (GIL released).
        Raises ValueError for the wrong width, ragged rows, masked values (a masked array with
        none masked is its data) or values that are not numbers, TypeError for complex values,
        MemoryError when the rows cannot be copied as C-ordered doubles."""
    @overload
    def train(self, source: Optional[_PathLike] = None, targets: None = None, *,
              curve: Literal[False] = ..., test_share: float = ..., test_seed: int = ...) -> TrainingRun: ...
    @overload
    def train(self, source: npt.ArrayLike, targets: npt.ArrayLike, *, curve: Literal[False] = ...,
              test_share: float = ..., test_seed: int = ...) -> TrainingRun: ...
    @overload
    def train(self, source: Optional[Union[_PathLike, npt.ArrayLike]] = None,
              targets: Optional[npt.ArrayLike] = None, *, curve: Literal[True], test_share: float = ...,
              test_seed: int = ...) -> TrainingRunWithCurve: ...
    @overload
    def train(self, source: Optional[Union[_PathLike, npt.ArrayLike]] = None,
              targets: Optional[npt.ArrayLike] = None, *, curve: bool, test_share: float = ...,
              test_seed: int = ...) -> Union[TrainingRun, TrainingRunWithCurve]:
        """Trains on the held patterns (no source), a training file (a network file's records or
        a CSV table) or arrays of inputs and targets (bit for bit training on a file holding
        them). Returns TrainingRun(result, passes), with curve=True
        TrainingRunWithCurve(result, passes, curve). test_share (0 to 0.9) holds that share of
        the patterns, picked by test_seed, out of training; the curve then adds their worst and
        mean squared error as two columns. Raises NetworkFileError (bad, misfit or no
        patterns in a file), OSError (file unreadable), ValueError (no patterns, bad or masked
        arrays, more than 1000000 patterns or 50000000 values, bad parameters), MemoryError
        (arrays, patterns or a file that do not fit in memory), FloatingPointError (weights or outputs stop being finite; the network is as
        it was), KeyboardInterrupt (Ctrl-C; the weights of the last whole pass stay), TypeError
        (a source that is neither a path nor arrays, complex arrays)."""
    def fit(self, X: npt.ArrayLike, y: npt.ArrayLike, *, epochs: Optional[int] = None, shuffle: bool = True,
            seed: int = 0, test_share: float = 0.0, callback: Optional[Callable[[FitStep], Any]] = None,
            callback_every: int = 1, curve: bool = False, learning_rate: Optional[float] = None,
            error_limit: Optional[float] = None, max_weight: Optional[float] = None,
            learn_thresholds: Optional[bool] = None) -> Network:
        """Trains on rows X and y, class labels (1-D ints, one output per class; 0 and 1 for one
        output) or targets in 0..1, the rows shuffled in the engine's order for `seed` unless
        shuffle=False, at most `epochs` passes; returns the network. callback(step) gets a
        FitStep every callback_every passes and at the end; returning False stops the run. The
        run goes to last_run; Ctrl-C keeps the partial run there and the weights reached. Raises
        ValueError naming what is wrong, TypeError, FloatingPointError, KeyboardInterrupt."""
    def predict(self, X: npt.ArrayLike) -> npt.NDArray[np.int64]:
        """The class of each row: the largest output's, or for one output 1 from 0.5 on."""
    def predict_proba(self, X: npt.ArrayLike) -> npt.NDArray[np.float64]:
        """The outputs of each row, a 2-D array of output_count columns."""
    def score(self, X: npt.ArrayLike, y: npt.ArrayLike) -> float:
        """The accuracy for class labels, the mean squared error of the outputs for targets."""
    @property
    def last_run(self) -> Optional[Union[TrainingRun, TrainingRunWithCurve]]:
        """The last run of train() or fit(), also an interrupted or stopped one; None before any."""
    def set_weights(self, weights: Sequence[npt.ArrayLike]) -> None:
        """Every weight from one 2-D array per computing layer, shaped as `weights` gives them.
        Raises ValueError naming the layer for a wrong count or shape or values not finite."""
    def __copy__(self) -> Network: ...
    def __deepcopy__(self, memo: Dict[int, Any]) -> Network: ...
    def __getstate__(self) -> Tuple[bytes, int, int, Optional[Union[TrainingRun, TrainingRunWithCurve]]]: ...
    def __setstate__(self,
                     state: Tuple[bytes, int, int, Optional[Union[TrainingRun, TrainingRunWithCurve]]]) -> None: ...
    def load_training(self, path: _PathLike) -> None:
        """Replaces the held patterns (and, from a network file, the training parameters) with
        those of a training file. Raises NetworkFileError, OSError."""
    @property
    def patterns(self) -> Tuple[npt.NDArray[np.float64], npt.NDArray[np.float64]]: ...
    def write(self, path: _PathLike, *, nearest: bool = False, training: bool = False) -> None:
        """Writes the network file atomically. Raises ValueError naming what the file format
        cannot hold unless nearest=True (which writes the nearest network it can hold), and
        OSError with errno and filename when the file cannot be written. training=True writes
        a lesson: the network records, then the patterns and training parameters."""
    def to_text(self, *, nearest: bool = False, training: bool = False) -> str:
        """What write() writes; raises ValueError as write() does."""
    @property
    def weights(self) -> List[npt.NDArray[np.float64]]: ...
    @property
    def thresholds(self) -> List[npt.NDArray[np.float64]]: ...
    @property
    def diagnostics(self) -> List[Diagnostic]: ...
    error_limit: float
    """Finite, 0 or more; ValueError otherwise."""
    max_iterations: int
    """0 to 2**31 - 1; ValueError otherwise."""
    learn_thresholds: bool
    """True: training moves each computing neuron's threshold with its weights, as a bias."""
    learning_rate: float
    """Finite, 0 or more; ValueError otherwise."""
    max_weight: float
    """Finite, above 0; ValueError otherwise."""
    threshold: float
    """Every neuron's threshold; finite, ValueError otherwise."""
    slope_parameter: float
    """Every neuron's slope parameter; finite, ValueError otherwise."""
    def _repr_svg_(self) -> str:
        """The network as SVG sized to it, on a transparent background, with a legend."""

def data_set(name: str, points: int = 200, noise: float = 0.0,
             seed: int = 0) -> Tuple[npt.NDArray[np.float64], npt.NDArray[np.float64]]:
    """A classroom data set ("xor", "circle", "gaussians", "spirals"): inputs of shape (points, 2)
    in 0..1 and targets of shape (points, 1), the class 0 or 1. The same bits as net_train
    --write-data-set and the page; ValueError for an unknown name or an argument out of range."""
    ...
