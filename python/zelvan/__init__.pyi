# Type stubs of the package zelvan (units and domains in the docstrings of
# zelvan/__init__.py).
import os
from dataclasses import dataclass
from typing import Any, Iterable, KeysView, Optional, Union

import numpy as np
import numpy.typing as npt

_Path = Union[str, os.PathLike[str]]
_Frequencies = Union[float, npt.ArrayLike]

class Error(RuntimeError):
    status: int

class InputError(Error): ...
class LibraryError(Error): ...

def possio(mach: float, k: _Frequencies, xr: float, xrud: float = ...) -> np.ndarray: ...
def thin_plate(k: _Frequencies, x_p: float, mach: float = ..., aero_scale: float = ...) -> np.ndarray: ...
@dataclass(frozen=True)
class Structure:
    mass: np.ndarray
    damping: np.ndarray
    stiffness: np.ndarray

@dataclass(frozen=True)
class Section:
    b: float
    a: float
    x_theta: float
    r2: float
    mu: float
    sigma: float
    f_theta: float
    span: float = ...
    zeta_h: float = ...
    zeta_theta: float = ...
    def structure(self, rho: float) -> Structure: ...

class Case:
    def __init__(self, text: str, name: str = ...) -> None: ...
    @classmethod
    def read(cls, path: _Path) -> Case: ...
    @property
    def text(self) -> str: ...
    @property
    def name(self) -> str: ...
    @property
    def warnings(self) -> list[str]: ...
    @property
    def section(self) -> Optional[Section]: ...
    def __getitem__(self, name: str) -> Union[float, str, None]: ...
    def with_values(self, **values: Union[float, str]) -> Case: ...
    def write(self, path: _Path) -> None: ...

class Record:
    def __init__(self, values: dict[str, Any]) -> None: ...
    def __getattr__(self, name: str) -> Any: ...
    def __getitem__(self, name: str) -> Any: ...
    def keys(self) -> KeysView[str]: ...
    def to_dict(self) -> dict[str, Any]: ...

class FlutterResult(Record): ...

def flutter(
    model: Union[Section, Case],
    route: Optional[str] = ...,
    mach: Optional[float] = ...,
    rho: Optional[float] = ...,
    speeds: Optional[Iterable[float]] = ...,
    pressures: Optional[Iterable[float]] = ...,
    method: Optional[str] = ...,
    sound_speed: Optional[float] = ...,
    w_star: Optional[float] = ...,
    match_tolerance: Optional[float] = ...,
    match_iterations: Optional[int] = ...,
) -> FlutterResult: ...

class StateSpace:
    form: str
    k_range: np.ndarray
    lags: np.ndarray
    fit_error: float
    A0: np.ndarray
    A1: np.ndarray
    A2: np.ndarray
    D: list[np.ndarray]
    solution: FlutterResult
    @property
    def mass(self) -> np.ndarray: ...
    @property
    def damping(self) -> np.ndarray: ...
    @property
    def stiffness(self) -> np.ndarray: ...
    @property
    def rho(self) -> float: ...
    @property
    def half_chord(self) -> float: ...
    @property
    def state_count(self) -> int: ...
    def A(self, u: float) -> np.ndarray: ...

def state_space(
    model: Union[Section, Case],
    route: Optional[str] = ...,
    mach: Optional[float] = ...,
    rho: Optional[float] = ...,
    speeds: Optional[Iterable[float]] = ...,
    pressures: Optional[Iterable[float]] = ...,
    method: str = ...,
    sound_speed: Optional[float] = ...,
    w_star: Optional[float] = ...,
    match_tolerance: Optional[float] = ...,
    match_iterations: Optional[int] = ...,
) -> StateSpace: ...
@dataclass
class RunResult:
    status: int
    json: Optional[dict[str, Any]]
    console: str
    folder: str

def run(input_path: _Path, option: str = ..., folder: Optional[_Path] = ...) -> RunResult: ...
