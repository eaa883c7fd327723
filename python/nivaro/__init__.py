"""Near-field (Talbot) diffraction of electrons and neutrons by N slits.

The engine of the ``nivaro`` window and of ``nivaro-batch``: the density,
psi, the spectrum, Bohmian trajectories, the carpet, sampled ensembles and
the quantum potential on an nx by nz grid (rows across the beam, columns
along it). Every computing function takes a :class:`Settings` and
``progress=``; it runs without the global interpreter lock, on
``settings.threads`` threads, and Ctrl+C stops it.
"""
from __future__ import annotations

from typing import Any, Callable, Dict

import numpy as np

from . import _nivaro
from ._progress import Progress, reporter
from ._settings import KEYS, Settings

__version__: str = _nivaro.__version__
__all__ = ["KEYS", "Settings", "carpet", "density", "ensemble", "ensemble_histogram", "psi", "quantum_potential",
           "spectrum", "trajectories"]


_PARAMETERS = """    Parameters
    ----------
    settings : Settings
        What to compute.
    progress : None, bool or callable, optional
        True for a progress bar (tqdm when importable, else a line on
        standard error); a callable receives the percent (int, up to 100),
        and raising in it stops the computation. Ctrl+C stops it always.
"""


def _documented(function: Callable[..., Any]) -> Callable[..., Any]:
    """Puts the parameters every computation shares into its docstring."""
    function.__doc__ = (function.__doc__ or "").replace("{parameters}", _PARAMETERS)
    return function


def _run(compute: Callable[..., Any], settings: Settings, progress: Progress, *more: Any) -> Any:
    if not isinstance(settings, Settings):
        raise TypeError(f"settings must be nivaro.Settings, not {type(settings).__name__}")
    overrides, threads = settings._core_arguments()
    with reporter(progress, compute.__name__) as report:
        return compute(overrides, threads, report, *more)


@_documented
def density(settings: Settings, progress: Progress = None) -> np.ndarray:
    """The normalised density on the grid.

{parameters}
    Returns
    -------
    numpy.ndarray
        float64, shape (nx, nz): norm(PSI) = |psi|**2 sigma0 sqrt(2 pi) / N,
        dimensionless; row i across the beam, column j along it.

    Raises
    ------
    ValueError
        Settings the computations cannot use.
    """
    return _run(_nivaro.density, settings, progress)


@_documented
def psi(settings: Settings, progress: Progress = None) -> np.ndarray:
    """The wave function on the grid.

{parameters}
    Returns
    -------
    numpy.ndarray
        complex128, shape (nx, nz), in m**-1/2.
    """
    return _run(_nivaro.psi, settings, progress)


@_documented
def spectrum(settings: Settings, progress: Progress = None) -> np.ndarray:
    """The magnitude of the 2D Fourier transform of psi.

{parameters}
    Returns
    -------
    numpy.ndarray
        float64, shape (256, 256): |FFT2 of psi| on the grid's top-left 256
        by 256 block (zero-padded where the grid is smaller), capped at 1e6
        as the batch program's tables are; in m**-1/2.
    """
    return _run(_nivaro.spectrum, settings, progress)


def trajectories(settings: Settings, progress: Progress = None) -> Dict[str, np.ndarray]:
    """The carpet's regular Bohmian trajectories (slit model only).

    Parameters
    ----------
    settings : Settings
        Starts every ``dxb`` rows below row ``nxb``, traced with the
        settings' ``integrator``.
    progress : None, bool or callable, optional
        As for :func:`density`; counted in starts.

    Returns
    -------
    dict of str to numpy.ndarray
        One float64 entry per traced position: ``start_row`` (row),
        ``step`` (index along the path), ``row`` and ``column`` (pixels),
        ``x_m`` and ``z_m`` (m).
    """
    return _run(_nivaro.trajectories, settings, progress)


def carpet(settings: Settings, contrast: int = 1, trajectories: bool = True, progress: Progress = None) -> np.ndarray:
    """The carpet picture, as the window and ``nivaro-batch --carpet`` draw it.

    Parameters
    ----------
    settings : Settings
    contrast : int, optional
        0 to 5, as ``--contrast``.
    trajectories : bool, optional
        Whether the regular trajectories are drawn over the density.
    progress : None, bool or callable, optional
        As for :func:`density`.

    Returns
    -------
    numpy.ndarray
        uint8, shape (nx, nz, 3): RGB.
    """
    return _run(_nivaro.carpet, settings, progress, contrast, trajectories)


@_documented
def quantum_potential(settings: Settings, progress: Progress = None) -> np.ndarray:
    """The quantum potential Q on the grid (slit model only).

{parameters}
    Returns
    -------
    numpy.ndarray
        float64, shape (nx, nz), in eV; nan where |psi| is below 1e-12 of
        its largest value.
    """
    return _run(_nivaro.quantum_potential, settings, progress)


def ensemble(settings: Settings, count: int = 2000, seed: int = 1, progress: Progress = None,
             integrator: str = "adaptive") -> Dict[str, np.ndarray]:
    """Trajectories from starts drawn from |psi|**2 (slit model only).

    Parameters
    ----------
    settings : Settings
    count : int, optional
        Number of paths, 1 to 1000000.
    seed : int, optional
        Seed of the starts, 0 to 2**64 - 1; the same seed gives the same paths.
    progress : None, bool or callable, optional
        As for :func:`density`.
    integrator : {'adaptive', 'euler'}, optional
        Error-controlled steps (the settings' ``tolerance``) or the
        carpet's fixed steps.

    Returns
    -------
    dict of str to numpy.ndarray
        ``start_row`` (float64, rows), ``row`` (float32, shape (count, nz),
        the row of each path at each column, nan after it ended) and ``end``
        (uint8: 0 reached the last column, 1 left the grid, 2 stopped).
    """
    return _run(_nivaro.ensemble, settings, progress, count, seed, integrator)


def ensemble_histogram(settings: Settings, count: int = 2000, seed: int = 1, column: int = -1, bins: int = 50,
                       progress: Progress = None, integrator: str = "adaptive") -> Dict[str, Any]:
    """An ensemble's positions at one column against |psi|**2 there.

    Parameters
    ----------
    settings, count, seed, progress, integrator
        As for :func:`ensemble`.
    column : int, optional
        0 to nz - 1; -1 for the last column.
    bins : int, optional
        1 to 10000.

    Returns
    -------
    dict
        ``x_m`` (bin centres, m), ``ensemble`` (counts), ``density``
        (|psi|**2 over the occupied range, 1/m), ``total_variation``,
        ``counted``, ``left_grid``, ``stopped``, and over the whole line:
        ``escaped_share`` (paths outside the grid's rows),
        ``outside_weight`` (|psi|**2 there, as a share of its norm) and
        ``whole_line_variation`` (the distance with the outside as one
        more bin).
    """
    return _run(_nivaro.ensemble_histogram, settings, progress, count, seed, integrator, column, bins)
