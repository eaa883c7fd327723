import os
from typing import Any, Callable, Dict, List, Optional, Tuple, Union

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
        lambda_spread: float = ...,
        source_width: float = ...,
        coherence_samples: int = ...,
    ) -> None: ...
    @classmethod
    def from_config(cls, path: Union[str, os.PathLike[str]]) -> Settings: ...
    def to_dict(self) -> Dict[str, Any]: ...
    def __eq__(self, other: object) -> bool: ...
    def __dir__(self) -> List[str]: ...

def density(settings: Settings, progress: Progress = ...) -> npt.NDArray[np.float64]: ...
def psi(settings: Settings, progress: Progress = ...) -> npt.NDArray[np.complex128]: ...
def spectrum(settings: Settings, progress: Progress = ...) -> npt.NDArray[np.float64]: ...
def trajectories(settings: Settings, progress: Progress = ...) -> Dict[str, npt.NDArray[np.float64]]: ...
def carpet(
    settings: Settings, contrast: int = ..., trajectories: bool = ..., progress: Progress = ...
) -> npt.NDArray[np.uint8]: ...
def quantum_potential(settings: Settings, progress: Progress = ...) -> npt.NDArray[np.float64]: ...
def ensemble(
    settings: Settings, count: int = ..., seed: int = ..., progress: Progress = ..., integrator: str = ...
) -> Dict[str, npt.NDArray[Any]]: ...
def ensemble_histogram(
    settings: Settings,
    count: int = ...,
    seed: int = ...,
    column: int = ...,
    bins: int = ...,
    progress: Progress = ...,
    integrator: str = ...,
) -> Dict[str, Any]: ...
