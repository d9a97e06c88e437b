"""The tutorial notebook runs top to bottom: a failing cell fails the test."""
import os

import nbformat
from nbclient import NotebookClient

DOCS = os.path.join(os.path.dirname(__file__), "..", "..", "docs")


def test_tutorial_runs(tmp_path):
    nb = nbformat.read(os.path.join(DOCS, "tutorial.ipynb"), as_version=4)
    os.environ.setdefault("MPLBACKEND", "Agg")
    NotebookClient(nb, timeout=600, kernel_name="python3",
                   resources={"metadata": {"path": os.path.abspath(DOCS)}}).execute()
    assert all(c.get("outputs") is not None for c in nb.cells if c.cell_type == "code")
