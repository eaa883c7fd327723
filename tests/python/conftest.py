"""Where the tests find the batch program the package is compared with."""
import os
import pathlib

import pytest


@pytest.fixture(scope="session")
def batch():
    return pathlib.Path(os.environ.get("NIVARO_BATCH", "build/release/apps/nivaro-batch/nivaro-batch")).resolve()
