"""What a computing function does with its ``progress`` argument."""
from __future__ import annotations

import contextlib
import sys
from typing import Callable, Iterator, Optional, Union

ProgressCallable = Callable[[int], object]
Progress = Union[None, bool, ProgressCallable]


class _TextLine:
    """A percentage on one line of standard error, for when tqdm is missing."""

    def __init__(self, description: str) -> None:
        self._description = description

    def __call__(self, percent: int) -> None:
        sys.stderr.write(f"\r{self._description}: {percent:3d} %")
        sys.stderr.flush()

    def close(self) -> None:
        sys.stderr.write("\n")


class _Bar:
    """A tqdm bar over 0 .. 100 %."""

    def __init__(self, description: str) -> None:
        from tqdm.auto import tqdm

        self._bar = tqdm(total=100, desc=description, unit="%")

    def __call__(self, percent: int) -> None:
        self._bar.update(percent - self._bar.n)

    def close(self) -> None:
        self._bar.close()


def _display(description: str) -> Union[_Bar, _TextLine]:
    try:
        return _Bar(description)
    except ImportError:
        return _TextLine(description)


@contextlib.contextmanager
def reporter(progress: Progress, description: str) -> Iterator[Optional[ProgressCallable]]:
    """The callable that the compiled core reports percentages to.

    Parameters
    ----------
    progress : None, bool or callable
        None or False: no reports (Ctrl+C still stops the computation).
        True: a tqdm bar when tqdm is importable, else a line on standard
        error. A callable: called with the percent (int, 1 to 100); raising
        in it stops the computation and the exception propagates.
    description : str
        The bar's label.
    """
    if progress is None or progress is False:
        yield None
    elif progress is True:
        display = _display(description)
        try:
            yield display
        finally:
            display.close()
    elif callable(progress):
        yield progress
    else:
        raise TypeError(f"progress must be None, a bool or a callable, not {type(progress).__name__}")
