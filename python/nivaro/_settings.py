"""The settings of a computation, as the configuration file's keys."""
from __future__ import annotations

import difflib
import numbers
import os
import warnings
from typing import Any, Dict, List, Optional, Tuple, Union

from . import _nivaro

# (configuration key, snake_case name) in file order, from the compiled core,
# so that a key the engine gains needs no change here.
_NAMES: List[Tuple[str, str]] = _nivaro.setting_names()
KEYS: Tuple[str, ...] = tuple(name for _, name in _NAMES)
_KEY_OF: Dict[str, str] = {name: key for key, name in _NAMES}
_DEFAULTS: Dict[str, Any] = _nivaro.resolve([])
MOST_THREADS: int = _nivaro.MOST_THREADS

# The unit and meaning of each setting, for its docstring.
_DESCRIPTIONS: Dict[str, Tuple[str, str]] = {
    "slits": ("", "number of slits N, at least 1"),
    "mass": ("kg", "mass of the particle"),
    "lambda_": ("m", "de Broglie wavelength (the configuration's ``lambda``)"),
    "d": ("m", "slit period"),
    "slite_width": ("m", "slit width"),
    "sigma0": ("m", "rms width of each slit's Gaussian packet at the grating"),
    "x_scale": ("ratio p:q", "magnification of the grid across the slits, such as '2:1'"),
    "z_scale": ("ratio p:q", "magnification of the grid along the beam"),
    "p_scale": ("ratio p:q", "magnification of the density in the carpet and the surface"),
    "z0": ("Talbot lengths 2 d**2 / lambda", "distance of the grid's first column from the grating"),
    "nx": ("rows", "grid rows across the beam"),
    "nz": ("columns", "grid columns along the beam"),
    "nxb": ("rows", "trajectories start below this row, at most nx"),
    "dxb": ("rows", "spacing of the trajectory starts, more than 0 and at most nx"),
    "step": ("pixels", "step of the Euler trajectories, more than 0"),
    "integrator": ("", "'euler' (fixed steps) or 'adaptive' (error-controlled steps) for the trajectories"),
    "tolerance": ("pixels", "error per step of the adaptive integrator, 1e-12 to 1"),
    "model": ("", "'slits' (the slit sum's closed form) or 'wave' (a propagated grating field)"),
    "grating": ("", "the wave model's grating: 'gaussian', 'rectangular', 'phase' or 'file'"),
    "propagator": ("", "the wave model's propagator: 'paraxial' or 'exact'"),
    "edge_width": ("m", "rms blur of the grating's edges; 0 for d/50"),
    "phase_depth": ("rad", "amplitude of the phase grating's phase"),
    "grating_file": ("", "the file grating's transmission: a .npy (n, 2) array or a text table of x in m and t"),
    "lambda_spread": ("relative to lambda", "rms spread of the wavelength, 0 to 0.1"),
    "source_width": ("rad", "rms spread of the angle of incidence, 0 to 0.1"),
    "coherence_samples": ("", "quadrature points per spread, 0 to 64; 0 for as many as 1e-6 needs"),
}


def _unknown(name: str) -> str:
    close = difflib.get_close_matches(name, KEYS, n=1)
    return f"unknown setting '{name}'" + (f"; did you mean '{close[0]}'?" if close else "")


def _text(name: str, value: Any) -> str:
    """A value as the configuration file would hold it: numbers exactly."""
    if isinstance(value, str):
        return value
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise TypeError(f"{name} takes a number or a text, not {type(value).__name__}")
    if isinstance(value, numbers.Integral):
        return str(int(value))
    return repr(float(value))


def _checked_threads(threads: Optional[int]) -> Optional[int]:
    if threads is None:
        return None
    if isinstance(threads, bool) or not isinstance(threads, numbers.Integral) or not 1 <= threads <= MOST_THREADS:
        raise ValueError(f"threads must be None or a whole number from 1 to {MOST_THREADS}, not {threads!r}")
    return int(threads)


class Settings:
    """Settings of a computation: the configuration file's keys in snake_case.

    Each keyword changes one setting from its default, as
    ``nivaro-batch --set KEY=VALUE`` does; values the batch program would
    refuse raise ``ValueError`` naming the key, here at construction or
    assignment. Every setting is also an attribute.

    Parameters
    ----------
    threads : int or None
        Threads of the computations, 1 to 1024; None for NIVARO_THREADS,
        else every core.
    **settings
        See the attributes below.
    """

    __slots__ = ("_overrides", "_values", "_threads")

    def __init__(self, *, threads: Optional[int] = None, **settings: Union[int, float, str]) -> None:
        for name in settings:
            if name not in _KEY_OF:
                raise TypeError(f"Settings() got an {_unknown(name)}")
        object.__setattr__(self, "_overrides", {})
        object.__setattr__(self, "_values", _DEFAULTS)
        object.__setattr__(self, "_threads", _checked_threads(threads))
        self._change(settings)

    @classmethod
    def from_config(cls, path: Union[str, "os.PathLike[str]"]) -> "Settings":
        """The settings of a configuration file, as ``nivaro-batch --config`` reads it.

        Parameters
        ----------
        path : str or path-like
            A ``nivaro.ini`` file.

        Raises
        ------
        OSError
            FileNotFoundError when the file is missing, another OSError when
            it cannot be read.
        ValueError
            When a value in it is one the computations cannot use.

        Warns
        -----
        UserWarning
            For each value the computations cannot use that was replaced by
            its default, with the batch program's message.
        """
        path = os.fspath(path)
        with open(path, "rb"):
            pass
        values, messages = _nivaro.read_configuration(path)
        for message in messages:
            warnings.warn(message, UserWarning, stacklevel=2)
        return cls(**{name: value for name, value in values.items() if value != _DEFAULTS[name]})

    def _change(self, settings: Dict[str, Any]) -> None:
        """Takes the new values only when all of them together are usable."""
        overrides = {name: _text(name, value) for name, value in {**self._overrides, **settings}.items()}
        values = _nivaro.resolve([(_KEY_OF[name], text) for name, text in overrides.items()])
        object.__setattr__(self, "_overrides", {name: values[name] for name in overrides})
        object.__setattr__(self, "_values", values)

    def _core_arguments(self) -> Tuple[List[Tuple[str, str]], int]:
        """The overrides and thread count as the compiled core takes them."""
        pairs = [(_KEY_OF[name], _text(name, value)) for name, value in self._overrides.items()]
        return pairs, self._threads or 0

    @property
    def threads(self) -> Optional[int]:
        """Threads of the computations (1 to 1024), or None for NIVARO_THREADS, else every core."""
        return self._threads

    @threads.setter
    def threads(self, threads: Optional[int]) -> None:
        object.__setattr__(self, "_threads", _checked_threads(threads))

    def to_dict(self) -> Dict[str, Any]:
        """Every setting in effect and ``threads``, by keyword name."""
        return {**self._values, "threads": self._threads}

    def _keywords(self) -> Dict[str, Any]:
        threads = {} if self._threads is None else {"threads": self._threads}
        return {**self._overrides, **threads}

    def __repr__(self) -> str:
        keywords = ", ".join(f"{name}={value!r}" for name, value in self._keywords().items())
        return f"Settings({keywords})"

    def __eq__(self, other: object) -> bool:
        if not isinstance(other, Settings):
            return NotImplemented
        return self.to_dict() == other.to_dict()

    __hash__ = None  # type: ignore[assignment]  # mutable

    def __reduce__(self) -> Tuple[Any, Tuple[Dict[str, Any]]]:
        return _settings_of, (self._keywords(),)

    def __dir__(self) -> List[str]:
        return sorted({*object.__dir__(self), *KEYS})

    def __setattr__(self, name: str, value: Any) -> None:
        if name not in _KEY_OF and name != "threads":
            raise AttributeError(_unknown(name))
        object.__setattr__(self, name, value)


def _settings_of(keywords: Dict[str, Any]) -> Settings:
    """Unpickles settings."""
    return Settings(**keywords)


def _setting_property(name: str) -> property:
    unit, meaning = _DESCRIPTIONS.get(name, ("", ""))
    doc = meaning[:1].upper() + meaning[1:] + (f" [{unit}]" if unit else "") + f"; default {_DEFAULTS[name]!r}."

    def get(self: Settings) -> Any:
        return self._values[name]

    def set(self: Settings, value: Any) -> None:
        self._change({name: value})

    return property(get, set, doc=doc)


def _attributes_section() -> str:
    lines = ["", "    Attributes", "    ----------"]
    for name in KEYS:
        lines += [f"    {name} : {type(_DEFAULTS[name]).__name__}", f"        {getattr(Settings, name).__doc__}"]
    return "\n".join(lines) + "\n"


for _name in KEYS:
    setattr(Settings, _name, _setting_property(_name))
Settings.__doc__ = (Settings.__doc__ or "") + _attributes_section()
