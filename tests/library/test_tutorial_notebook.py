"""The tutorial notebook, run from its first cell to its last in a real kernel as a student
runs it: every cell's own checks hold (exclusive-or learned, the digits read at 95 % or
better on pictures it never saw, the saved network read back), and no cell raises."""
import os

import pytest

nbformat = pytest.importorskip("nbformat")
nbclient = pytest.importorskip("nbclient")

NOTEBOOK = os.path.join(os.environ.get("NC_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", "..")),
                        "examples", "python", "tutorial.ipynb")


def test_the_tutorial_runs_clean_from_start_to_end():
    notebook = nbformat.read(NOTEBOOK, as_version=4)
    assert all(not cell.get("outputs") for cell in notebook.cells if cell.cell_type == "code"), \
        "the notebook is stored without outputs"
    nbclient.NotebookClient(notebook, timeout=300, kernel_name="python3").execute()
    outputs = [output for cell in notebook.cells if cell.cell_type == "code" for output in cell.outputs]
    assert not [output for output in outputs if output.output_type == "error"]
    shown = [kind for output in outputs for kind in output.get("data", {})]
    assert shown.count("image/svg+xml") == 3 and shown.count("image/png") == 2
    text = "".join(output.get("text", "") for output in outputs)
    assert "converged after" in text and "accuracy on the 397 pictures it never saw" in text
