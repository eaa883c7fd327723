"""Near-field (Talbot) diffraction of electrons and neutrons by N slits.

The engine of the ``nivaro`` window and of ``nivaro-batch``: the density,
psi, the spectrum, Bohmian trajectories, the carpet, sampled ensembles and
the quantum potential on an nx by nz grid (rows across the beam, columns
along it). Every computing function takes a :class:`Settings` and
``progress=``; it runs without the global interpreter lock, on
``settings.threads`` threads, and Ctrl+C stops it.
"""
from __future__ import annotations

import copy
import itertools
from typing import Any, Callable, Dict, Iterable, List, Sequence, Union

import numpy as np

from . import _nivaro
from ._progress import Progress, reporter
from ._results import Field, Grid, Table
from ._settings import _KEY_OF, KEYS, Settings

__version__: str = _nivaro.__version__
__all__ = ["KEYS", "Field", "Grid", "Settings", "Table", "carpet", "density", "ensemble", "ensemble_histogram",
           "grid", "psi", "quantum_potential", "spectrum", "sweep", "trajectories", "visibility"]

_PARAMETERS = """    Parameters
    ----------
    settings : Settings
        What to compute.
    progress : None, bool or callable, optional
        True for a progress bar (tqdm when importable, else a line on
        standard error); a callable receives the percent (int, up to 100),
        and raising in it stops the computation. Ctrl+C stops it always.
"""

# Each dimension's coordinates and their unit.
_COORDINATES: Dict[str, Callable[[Grid], np.ndarray]] = {
    "x": lambda grid: grid.x_m,
    "z": lambda grid: grid.z_m,
    "fx": lambda grid: grid.spectrum_frequencies[0],
    "fz": lambda grid: grid.spectrum_frequencies[1],
}
_COORDINATE_UNITS = {"x": "m", "z": "m", "fx": "1/m", "fz": "1/m"}


def _documented(function: Callable[..., Any]) -> Callable[..., Any]:
    """Puts the parameters every computation shares into its docstring."""
    function.__doc__ = (function.__doc__ or "").replace("{parameters}", _PARAMETERS)
    return function


def _checked(settings: Settings) -> Settings:
    if not isinstance(settings, Settings):
        raise TypeError(f"settings must be nivaro.Settings, not {type(settings).__name__}")
    return settings


def grid(settings: Settings) -> Grid:
    """The coordinates of the grid the settings compute on.

    Parameters
    ----------
    settings : Settings

    Returns
    -------
    Grid
        ``x_m`` (nx rows, m), ``z_m`` (nz columns, m) and
        ``spectrum_frequencies`` (rows and columns of the spectrum, 1/m).
    """
    overrides, _ = _checked(settings)._core_arguments()
    return Grid.from_core(_nivaro.grid(overrides))


def _run(compute: Callable[..., Any], settings: Settings, progress: Progress, *more: Any) -> Any:
    overrides, threads = _checked(settings)._core_arguments()
    with reporter(progress, compute.__name__) as report:
        return compute(overrides, threads, report, *more)


def _field(compute: Callable[..., Any], settings: Settings, progress: Progress, units: str,
           dims: Sequence[str] = ("x", "z"), *more: Any) -> Field:
    values = _run(compute, settings, progress, *more)
    where = grid(settings)
    return Field(values, name=compute.__name__, units=units, dims=dims,
                 coords={dim: _COORDINATES[dim](where) for dim in dims if dim in _COORDINATES},
                 coord_units=_COORDINATE_UNITS, settings=copy.copy(settings), grid=where)


def _table(compute: Callable[..., Any], settings: Settings, progress: Progress, columns: Dict[str, Any],
           *more: Any) -> Table:
    """columns: each entry's (unit, dimension names), () for a number."""
    values = _run(compute, settings, progress, *more)
    return Table(values, units={name: unit for name, (unit, _) in columns.items()},
                 dims={name: dims for name, (_, dims) in columns.items() if dims},
                 settings=copy.copy(settings), grid=grid(settings))


@_documented
def density(settings: Settings, progress: Progress = None) -> Field:
    """The normalised density on the grid.

{parameters}
    Returns
    -------
    Field
        float64, shape (nx, nz): norm(PSI) = |psi|**2 sigma0 sqrt(2 pi) / N,
        dimensionless; row i across the beam, column j along it.

    Raises
    ------
    ValueError
        Settings the computations cannot use.
    """
    return _field(_nivaro.density, settings, progress, "1")


@_documented
def psi(settings: Settings, progress: Progress = None) -> Field:
    """The wave function on the grid.

{parameters}
    Returns
    -------
    Field
        complex128, shape (nx, nz), in m**-1/2.
    """
    return _field(_nivaro.psi, settings, progress, "m^-1/2")


@_documented
def spectrum(settings: Settings, progress: Progress = None) -> Field:
    """The magnitude of the 2D Fourier transform of psi.

{parameters}
    Returns
    -------
    Field
        float64, shape (256, 256): |FFT2 of psi| on the grid's top-left 256
        by 256 block (zero-padded where the grid is smaller), capped at 1e6
        as the batch program's tables are; in m**-1/2.
    """
    return _field(_nivaro.spectrum, settings, progress, "m^-1/2", ("fx", "fz"))


_TRAJECTORY_COLUMNS = {"start_row": ("row", ("position",)), "step": ("1", ("position",)),
                       "row": ("row", ("position",)), "column": ("column", ("position",)),
                       "x_m": ("m", ("position",)), "z_m": ("m", ("position",))}
_VISIBILITY_COLUMNS = {"z_m": ("m", ("z",)), "z_over_zt": ("1", ("z",)), "visibility": ("1", ("z",))}
_ENSEMBLE_COLUMNS = {"start_row": ("row", ("path",)), "row": ("row", ("path", "z")), "end": ("", ("path",))}
_HISTOGRAM_COLUMNS = {"x_m": ("m", ("bin",)), "ensemble": ("paths", ("bin",)), "density": ("1/m", ("bin",)),
                      "total_variation": ("1", ()), "counted": ("paths", ()), "left_grid": ("paths", ()),
                      "escaped_share": ("1", ()), "outside_weight": ("1", ()), "whole_line_variation": ("1", ()),
                      "stopped": ("paths", ())}


def trajectories(settings: Settings, progress: Progress = None) -> Table:
    """The carpet's regular Bohmian trajectories (not for a partially coherent beam).

    Parameters
    ----------
    settings : Settings
        Starts every ``dxb`` rows below row ``nxb``, traced with the
        settings' ``integrator``.
    progress : None, bool or callable, optional
        As for :func:`density`; counted in starts.

    Returns
    -------
    Table
        One float64 entry per traced position: ``start_row`` (row),
        ``step`` (index along the path), ``row`` and ``column`` (pixels),
        ``x_m`` and ``z_m`` (m).
    """
    return _table(_nivaro.trajectories, settings, progress, _TRAJECTORY_COLUMNS)


def carpet(settings: Settings, contrast: int = 1, trajectories: bool = True, progress: Progress = None) -> Field:
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
    Field
        uint8, shape (nx, nz, 3): RGB.
    """
    return _field(_nivaro.carpet, settings, progress, "", ("x", "z", "rgb"), contrast, trajectories)


@_documented
def visibility(settings: Settings, progress: Progress = None) -> Table:
    """The fringe visibility along z: (max - min) / (max + min) of the density
    within d/2 of the axis at each column.

{parameters}
    Returns
    -------
    Table
        float64 per column: ``z_m`` (m), ``z_over_zt`` (z in Talbot
        lengths 2 d**2 / lambda) and ``visibility`` (nan where the period
        holds no density). A partially coherent beam's (``lambda_spread``,
        ``source_width``) falls as its fringes wash out.
    """
    return _table(_nivaro.visibility, settings, progress, _VISIBILITY_COLUMNS)


@_documented
def quantum_potential(settings: Settings, progress: Progress = None) -> Field:
    """The quantum potential Q on the grid (not for a partially coherent beam).

{parameters}
    Returns
    -------
    Field
        float64, shape (nx, nz), in eV; nan where |psi| is below 1e-12 of
        its largest value.
    """
    return _field(_nivaro.quantum_potential, settings, progress, "eV")


def ensemble(settings: Settings, count: int = 2000, seed: int = 1, progress: Progress = None,
             integrator: str = "adaptive") -> Table:
    """Trajectories from starts drawn from |psi|**2 (not for a partially coherent beam).

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
    Table
        ``start_row`` (float64, rows), ``row`` (float32, shape (count, nz),
        the row of each path at each column, nan after it ended) and ``end``
        (uint8: 0 reached the last column, 1 left the grid, 2 stopped).
    """
    return _table(_nivaro.ensemble, settings, progress, _ENSEMBLE_COLUMNS, count, seed, integrator)


def ensemble_histogram(settings: Settings, count: int = 2000, seed: int = 1, column: int = -1, bins: int = 50,
                       progress: Progress = None, integrator: str = "adaptive") -> Table:
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
    Table
        ``x_m`` (bin centres, m), ``ensemble`` (counts), ``density``
        (|psi|**2 over the occupied range, 1/m), ``total_variation``,
        ``counted``, ``left_grid``, ``stopped``, and over the whole line:
        ``escaped_share`` (paths outside the grid's rows),
        ``outside_weight`` (|psi|**2 there, as a share of its norm) and
        ``whole_line_variation`` (the distance with the outside as one
        more bin).
    """
    return _table(_nivaro.ensemble_histogram, settings, progress, _HISTOGRAM_COLUMNS, count, seed, integrator,
                  column, bins)


def _axis_values(settings: Settings, name: str, values: Union[str, Iterable[Any]]) -> List[Any]:
    """An axis's values as the settings hold them: "FROM:TO:COUNT" by --sweep's rules, or the values given."""
    if name not in _KEY_OF:
        raise TypeError(f"sweep() got an unknown setting '{name}'")
    texts = _nivaro.sweep_values(f"{_KEY_OF[name]}={values}") if isinstance(values, str) else list(values)
    probe = copy.copy(settings)
    taken = []
    for value in texts:
        setattr(probe, name, value)
        taken.append(getattr(probe, name))
    return taken


def sweep(settings: Settings, compute: Callable[..., Field] = density, progress: Progress = None,
          **axes: Union[str, Iterable[Any]]) -> Field:
    """One computation over a grid of settings, stacked.

    Parameters
    ----------
    settings : Settings
        The settings every run starts from.
    compute : callable, optional
        :func:`density` (the default), :func:`psi`, :func:`spectrum`,
        :func:`carpet`, :func:`quantum_potential`, or any callable of
        (settings, progress=) that returns a :class:`Field`.
    progress : None, bool or callable, optional
        Told after each run, in percent of the runs; raising in it stops
        the sweep.
    **axes : str or sequence
        A setting and its values: "FROM:TO:COUNT" as
        ``nivaro-batch --sweep KEY=FROM:TO:COUNT`` takes it (whole-number
        settings rounded, repeats dropped), or the values themselves. The
        last axis varies fastest.

    Returns
    -------
    Field
        The runs' values with one leading dimension per axis, named after
        its setting, whose coordinates are the values the runs took.

    Raises
    ------
    ValueError
        An axis or a run's settings the batch program would refuse, or
        runs whose results differ in shape (a swept nx or nz).
    """
    _checked(settings)
    if not axes:
        raise TypeError("sweep() needs at least one setting to sweep")
    coordinates = {name: _axis_values(settings, name, values) for name, values in axes.items()}
    runs = list(itertools.product(*coordinates.values()))
    fields = []
    with reporter(progress, "sweep") as report:
        for done, values in enumerate(runs, start=1):
            run = copy.copy(settings)
            for name, value in zip(coordinates, values):
                setattr(run, name, value)
            fields.append(compute(run))
            if report is not None:
                report(100 * done // len(runs))
    shapes = {field.shape for field in fields}
    if len(shapes) > 1:
        raise ValueError(f"the runs' results differ in shape ({sorted(shapes)}): sweep nx and nz apart")
    first = fields[0]
    stacked = np.stack([field.values for field in fields]).reshape(
        tuple(len(values) for values in coordinates.values()) + first.shape)
    return Field(stacked, name=first.name, units=first.units, dims=(*coordinates, *first.dims),
                 coords={**{name: np.asarray(values) for name, values in coordinates.items()}, **first.coords},
                 coord_units=first.coord_units, settings=first.settings, grid=first.grid)
