"""Results that carry their coordinates, units and settings."""
from __future__ import annotations

from dataclasses import dataclass
from typing import Any, Dict, Iterator, Mapping, Optional, Sequence, Tuple

import numpy as np
from numpy.lib.mixins import NDArrayOperatorsMixin


@dataclass(frozen=True)
class Grid:
    """Where a computation's values lie.

    Attributes
    ----------
    x_m : numpy.ndarray
        x of each grid row, across the beam [m]; the run file's ``/x_m``.
    z_m : numpy.ndarray
        z of each grid column, from the grating [m]; the run file's ``/z_m``.
    spectrum_frequencies : tuple of numpy.ndarray
        Spatial frequencies of the spectrum's rows and columns [1/m], in
        the transform's order (``numpy.fft.fftfreq``).
    """

    x_m: np.ndarray
    z_m: np.ndarray
    spectrum_frequencies: Tuple[np.ndarray, np.ndarray]

    @classmethod
    def from_core(cls, core: Mapping[str, Any]) -> "Grid":
        size = core["spectrum_size"]
        frequencies = (np.fft.fftfreq(size, core["x_step_m"]), np.fft.fftfreq(size, core["z_step_m"]))
        return cls(core["x_m"], core["z_m"], frequencies)


def _xarray() -> Any:
    try:
        import xarray
    except ImportError as error:
        raise ImportError("to_xarray() needs xarray (Debian: python3-xarray)") from error
    return xarray


class _OnGrid:
    """The coordinates of the grid a result was computed on."""

    __slots__ = ()
    grid: Grid

    @property
    def x_m(self) -> np.ndarray:
        """x of each grid row [m]."""
        return self.grid.x_m

    @property
    def z_m(self) -> np.ndarray:
        """z of each grid column [m]."""
        return self.grid.z_m


class Field(_OnGrid, NDArrayOperatorsMixin):
    """An array with named dimensions, their coordinates and its unit.

    It works where a NumPy array does (``numpy.asarray``, ufuncs, operators,
    indexing, ``.shape``, ``.max()``), giving plain arrays back; ``values``
    is the array itself.

    Attributes
    ----------
    values : numpy.ndarray
    name : str
    units : str
        Unit of the values ("1" for dimensionless).
    dims : tuple of str
        Name of each dimension.
    coords : dict of str to numpy.ndarray
        Coordinates of dimensions, by dimension name; swept settings too.
    settings : Settings or None
        The settings computed (the first run's for a sweep).
    grid : Grid
    """

    __slots__ = ("values", "name", "units", "dims", "coords", "coord_units", "settings", "grid")

    def __init__(self, values: np.ndarray, *, name: str, units: str, dims: Sequence[str],
                 coords: Mapping[str, np.ndarray], coord_units: Mapping[str, str], settings: Any, grid: Grid) -> None:
        if len(dims) != values.ndim:
            raise ValueError(f"{name}: {len(dims)} dimension names for {values.ndim} dimensions")
        self.values = values
        self.name = name
        self.units = units
        self.dims = tuple(dims)
        self.coords = dict(coords)
        self.coord_units = dict(coord_units)
        self.settings = settings
        self.grid = grid

    def __array__(self, dtype: Optional[np.dtype] = None) -> np.ndarray:
        return self.values if dtype is None else self.values.astype(dtype, copy=False)

    def __array_ufunc__(self, ufunc: np.ufunc, method: str, *inputs: Any, **kwargs: Any) -> Any:
        plain = tuple(item.values if isinstance(item, Field) else item for item in inputs)
        return getattr(ufunc, method)(*plain, **kwargs)

    def __getitem__(self, index: Any) -> Any:
        return self.values[index]

    def __len__(self) -> int:
        return len(self.values)

    def __iter__(self) -> Iterator[Any]:
        return iter(self.values)

    def __getattr__(self, name: str) -> Any:
        # Array methods and properties (shape, dtype, max, ...) are the array's.
        if name.startswith("__"):
            raise AttributeError(name)
        return getattr(self.values, name)

    def __repr__(self) -> str:
        shape = ", ".join(f"{dim}: {size}" for dim, size in zip(self.dims, self.values.shape))
        return f"<nivaro.Field {self.name} ({shape}) {self.values.dtype} [{self.units}]>"

    def to_xarray(self) -> Any:
        """The field as an ``xarray.DataArray`` with its coordinates and units."""
        xarray = _xarray()
        coords = {dim: (dim, values, {"units": self.coord_units.get(dim, "")}) for dim, values in self.coords.items()}
        attrs = {"units": self.units, "settings": repr(self.settings)}
        return xarray.DataArray(self.values, dims=self.dims, coords=coords, name=self.name, attrs=attrs)


class Table(_OnGrid, dict):
    """Named columns (a dict of arrays and numbers) with units and settings.

    Attributes
    ----------
    units : dict of str to str
        Unit of each entry.
    dims : dict of str to tuple of str
        Dimension names of each array entry.
    settings : Settings
    grid : Grid
    """

    def __init__(self, columns: Mapping[str, Any], *, units: Mapping[str, str],
                 dims: Mapping[str, Sequence[str]], settings: Any, grid: Grid) -> None:
        super().__init__(columns)
        self.units = dict(units)
        self.dims = {name: tuple(names) for name, names in dims.items()}
        self.settings = settings
        self.grid = grid

    def to_xarray(self) -> Any:
        """The arrays as an ``xarray.Dataset``, numbers as its attributes."""
        xarray = _xarray()
        variables = {name: (self.dims[name], values, {"units": self.units.get(name, "")})
                     for name, values in self.items() if name in self.dims}
        attrs: Dict[str, Any] = {name: value for name, value in self.items() if name not in self.dims}
        return xarray.Dataset(variables, attrs={**attrs, "settings": repr(self.settings)})
