import os
from typing import Any, Callable, Dict, Iterable, Iterator, List, Mapping, Optional, Tuple, Union

import numpy as np
import numpy.typing as npt

__version__: str
KEYS: Tuple[str, ...]

Progress = Union[None, bool, Callable[[int], object]]

class Settings:
    slits: int
    mass: float
    lambda_: float
    d: float
    slite_width: float
    sigma0: float
    x_scale: str
    z_scale: str
    p_scale: str
    z0: float
    nx: int
    nz: int
    nxb: int
    dxb: float
    step: float
    integrator: str
    tolerance: float
    model: str
    grating: str
    propagator: str
    edge_width: float
    phase_depth: float
    grating_file: str
    lambda_spread: float
    source_width: float
    coherence_samples: int
    threads: Optional[int]
    def __init__(
        self,
        *,
        threads: Optional[int] = ...,
        slits: int = ...,
        mass: float = ...,
        lambda_: float = ...,
        d: float = ...,
        slite_width: float = ...,
        sigma0: float = ...,
        x_scale: str = ...,
        z_scale: str = ...,
        p_scale: str = ...,
        z0: float = ...,
        nx: int = ...,
        nz: int = ...,
        nxb: int = ...,
        dxb: float = ...,
        step: float = ...,
        integrator: str = ...,
        tolerance: float = ...,
        model: str = ...,
        grating: str = ...,
        propagator: str = ...,
        edge_width: float = ...,
        phase_depth: float = ...,
        grating_file: str = ...,
        lambda_spread: float = ...,
        source_width: float = ...,
        coherence_samples: int = ...,
    ) -> None: ...
    @classmethod
    def from_config(cls, path: Union[str, os.PathLike[str]]) -> Settings: ...
    def to_dict(self) -> Table: ...
    def __eq__(self, other: object) -> bool: ...
    def __dir__(self) -> List[str]: ...

class Grid:
    x_m: npt.NDArray[np.float64]
    z_m: npt.NDArray[np.float64]
    spectrum_frequencies: Tuple[npt.NDArray[np.float64], npt.NDArray[np.float64]]

class Field:
    values: npt.NDArray[Any]
    name: str
    units: str
    dims: Tuple[str, ...]
    coords: Dict[str, npt.NDArray[Any]]
    coord_units: Dict[str, str]
    settings: Settings
    grid: Grid
    shape: Tuple[int, ...]
    dtype: np.dtype[Any]
    @property
    def x_m(self) -> npt.NDArray[np.float64]: ...
    @property
    def z_m(self) -> npt.NDArray[np.float64]: ...
    def __array__(self, dtype: Optional[npt.DTypeLike] = ...) -> npt.NDArray[Any]: ...
    def __getitem__(self, index: Any) -> Any: ...
    def __len__(self) -> int: ...
    def __iter__(self) -> Iterator[Any]: ...
    def __getattr__(self, name: str) -> Any: ...
    def to_xarray(self) -> Any: ...

class Table(Dict[str, Any]):
    units: Dict[str, str]
    dims: Dict[str, Tuple[str, ...]]
    settings: Settings
    grid: Grid
    @property
    def x_m(self) -> npt.NDArray[np.float64]: ...
    @property
    def z_m(self) -> npt.NDArray[np.float64]: ...
    def to_xarray(self) -> Any: ...

def grid(settings: Settings) -> Grid: ...
def density(settings: Settings, progress: Progress = ...) -> Field: ...
def psi(settings: Settings, progress: Progress = ...) -> Field: ...
def spectrum(settings: Settings, progress: Progress = ...) -> Field: ...
def trajectories(settings: Settings, progress: Progress = ...) -> Table: ...
def visibility(settings: Settings, progress: Progress = ...) -> Table: ...
def carpet(
    settings: Settings, contrast: int = ..., trajectories: bool = ..., progress: Progress = ...
) -> Field: ...
def quantum_potential(settings: Settings, progress: Progress = ...) -> Field: ...
def ensemble(
    settings: Settings, count: int = ..., seed: int = ..., progress: Progress = ..., integrator: str = ...
) -> Table: ...
def ensemble_histogram(
    settings: Settings,
    count: int = ...,
    seed: int = ...,
    column: int = ...,
    bins: int = ...,
    progress: Progress = ...,
    integrator: str = ...,
) -> Table: ...
def sweep(
    settings: Settings,
    compute: Callable[..., Field] = ...,
    progress: Progress = ...,
    **axes: Union[str, Iterable[Any]],
) -> Field: ...
