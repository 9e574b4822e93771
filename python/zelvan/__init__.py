"""ZELVAN's aeroelastic analyses of a plunge-pitch section from Python.

The functions take values and return values; none of them prints or
writes a file, except :func:`run` (a batch run in a folder) and
:meth:`Case.write`.  Units are SI throughout; angles in radians unless a
name says degrees.  A failure raises :class:`InputError` (a bad input or a
value outside a domain) or :class:`LibraryError` (a failure of the
numerical library), with the program's message.

The calls hold the GIL: the numerical library keeps its error and option
state process-wide, so two calls never run at once, not even from two
threads.
"""

from __future__ import annotations

import dataclasses
import json
import os
import subprocess
import sys
import tempfile
from typing import Any, Iterable, Mapping, Optional, Union

import numpy as np

from . import _zelvan

__all__ = [
    "Error",
    "InputError",
    "LibraryError",
    "possio",
    "thin_plate",
    "Section",
    "Structure",
    "Case",
    "Record",
    "FlutterResult",
    "flutter",
    "StateSpace",
    "state_space",
    "RunResult",
    "run",
]

Error = _zelvan.Error
InputError = _zelvan.InputError
LibraryError = _zelvan.LibraryError
Error.__doc__ = "A stop of an analysis; .status is the exit status the batch program would end with."
InputError.__doc__ = "A bad input, or a value outside the domain of an analysis (the program's message)."
LibraryError.__doc__ = "A fatal or terminal error of the numerical library (the program's message)."


def _input_error(message: str) -> InputError:
    """An InputError of the package's own checks (exit status 2, as the
    program's input errors)."""
    error = InputError(message)
    error.status = 2
    return error


def _bytes(text: str) -> bytes:
    return text.encode("utf-8", errors="surrogateescape")


def _number(name: str, value) -> float:
    if isinstance(value, bool) or not isinstance(value, (int, float, np.integer, np.floating)):
        raise _input_error(f"{name} must be a number, not {type(value).__name__}")
    return float(value)


def possio(mach: float, k, xr: float, xrud: float = 0.0) -> np.ndarray:
    """Possio's load coefficients of a thin profile in subsonic flow.

    mach: Mach number, 0.1 <= mach < 1.
    k: reduced frequency on the half chord, omega b / U (a number or an
       array), 0 < k and 2k/(1 - mach^2) <= 25.
    xr: pitch axis in half chords from mid-chord (-1 leading edge, +1
       trailing edge).
    xrud: aileron hinge in half chords, -1 <= xrud <= 1.

    Returns the complex 3 x 3 matrix q[i, d] (shape k.shape + (3, 3)): rows
    lift, moment about xr and hinge moment, columns the degrees of freedom
    plunge h/b, pitch and aileron rotation [rad], with the program's signs
    (q[0, 0] = -L, q[1, 0] = P, q[2, 0] = H; q[0, d] = L, q[1, d] = -P,
    q[2, d] = -H for d = 1, 2).  The program's route takes rows and
    columns 0 and 1.  Raises InputError outside the domain or for a
    singular collocation system.
    """
    return _zelvan.possio(float(mach), np.asarray(k, dtype=float), float(xr), float(xrud))


def thin_plate(k, x_p: float, mach: float = 0.0, aero_scale: float = 1.0) -> np.ndarray:
    """The thin-plate aerodynamic matrix as the program's route forms it.

    k: reduced frequency on the half chord (a number or an array), k >= 0.
    x_p: pitch axis as a chord fraction from the leading edge.
    mach: Mach number, |mach| < 1 (Prandtl-Glauert factor 1/sqrt(1 - Ma^2)).
    aero_scale: factor on the coefficients (the span of a section).

    Returns the complex 2 x 2 matrix per unit dynamic pressure (shape
    k.shape + (2, 2)): Q11 = f i k c1, Q12 = f (c1 + c3), Q21 = -f i k c2,
    Q22 = -f (c2 + c4), f = 2 pi beta aero_scale, with Theodorsen's C(k).
    Raises LibraryError where the Bessel functions have no value (k < 0).
    """
    return _zelvan.thin_plate(np.asarray(k, dtype=float), float(x_p), float(mach), float(aero_scale))


@dataclasses.dataclass(frozen=True)
class Structure:
    """M x'' + D x' + K x = F of a section in the program's coordinates
    (h/b, theta), rows scaled as the aerodynamic matrix: mass [kg],
    damping [kg/s], stiffness [kg/s^2], each a 2 x 2 array."""

    mass: np.ndarray
    damping: np.ndarray
    stiffness: np.ndarray


@dataclasses.dataclass(frozen=True)
class Section:
    """A typical section in the terms of the classical texts.

    b: half chord [m] > 0.  a: pitch axis in half chords aft of mid-chord,
    -1..1.  x_theta: centre of mass in half chords aft of the axis.  r2:
    squared radius of gyration about the axis in b^2, > x_theta^2.  mu: mass
    ratio m/(pi rho b^2) > 0 (rho of the analysis).  sigma: omega_h/omega_theta
    >= 0.  f_theta: uncoupled pitch frequency [Hz] > 0.  span: [m] > 0.
    zeta_h, zeta_theta: damping ratios >= 0 (time history only).  Plunge h
    positive down, pitch theta positive nose up.  A value outside its
    domain raises InputError with the reader's message.
    """

    b: float
    a: float
    x_theta: float
    r2: float
    mu: float
    sigma: float
    f_theta: float
    span: float = 1.0
    zeta_h: float = 0.0
    zeta_theta: float = 0.0

    def __post_init__(self) -> None:
        for field in dataclasses.fields(self):
            object.__setattr__(self, field.name, float(getattr(self, field.name)))
        _zelvan.check_section(self._values())

    def _values(self) -> dict:
        return dataclasses.asdict(self)

    def structure(self, rho: float) -> Structure:
        """The section's structural matrices at air density rho [kg/m^3]
        (the density of the mass ratio mu)."""
        return Structure(*_zelvan.section_model(self._values(), float(rho)))


class Case:
    """An input file of the program: its text as records, and what the
    program's reader reads from it.  A Case is a value: with_values gives a
    new one."""

    def __init__(self, text: str, name: str = "zelvan.inp") -> None:
        """Reads the input file text `text` (named `name` in messages) as
        the program does; raises InputError with the reader's message."""
        self._record = _zelvan.read_case(_bytes(text), _bytes(name))

    @classmethod
    def _of(cls, record) -> "Case":
        case = cls.__new__(cls)
        case._record = record
        return case

    @classmethod
    def read(cls, path: Union[str, os.PathLike]) -> "Case":
        """Reads the input file at `path` (its name in messages as given)."""
        with open(path, "rb") as f:
            text = f.read().decode("utf-8", errors="surrogateescape")
        return cls(text, os.fsdecode(path))

    @property
    def text(self) -> str:
        """The input file's text (bytes that are not UTF-8 as surrogates,
        written back as they were)."""
        return self._record.text.decode("utf-8", errors="surrogateescape")

    @property
    def name(self) -> str:
        return self._record.name.decode("utf-8", errors="surrogateescape")

    @property
    def warnings(self) -> list:
        """The reader's input warnings, one message each."""
        return list(self._record.warnings)

    @property
    def section(self) -> Optional[Section]:
        """The typical-section group, or None."""
        values = self._record.section()
        return None if values is None else Section(**values)

    def __getitem__(self, name: str):
        """The value the program holds for the field `name` (as the README's
        input tables name it; e.g. M_1 after mass_scale); None for a field of
        an absent group.  An unknown name raises InputError."""
        return _zelvan.case_value(self._record, name)

    def with_values(self, **values) -> "Case":
        """A new case with the fields `values` written into the records with
        the reader's edit descriptors (a missing block or group inserted with
        its defaults; its required fields must be among `values`).  Raises
        InputError for a value its field cannot hold or a case the reader
        refuses."""
        items = [(k, _bytes(v) if isinstance(v, str) else _number(k, v)) for k, v in values.items()]
        return Case._of(_zelvan.edit_case(self._record, items))

    def write(self, path: Union[str, os.PathLike]) -> None:
        """Writes the input file to `path`, replacing a file there only by the
        complete new one."""
        path = os.fspath(path)
        folder = os.path.dirname(os.path.abspath(path))
        try:
            mode = os.stat(path).st_mode & 0o7777
        except FileNotFoundError:
            umask = os.umask(0)
            os.umask(umask)
            mode = 0o666 & ~umask
        fd, temporary = tempfile.mkstemp(prefix=".zelvan-", dir=folder)
        try:
            with os.fdopen(fd, "wb") as f:
                f.write(_bytes(self.text))
            os.chmod(temporary, mode)
            os.replace(temporary, path)
        except BaseException:
            if os.path.exists(temporary):
                os.unlink(temporary)
            raise

    def __repr__(self) -> str:
        return f"Case.read({self.name!r})"


def _series(values: list):
    """A JSON list as numpy: numbers (null as NaN) and lists of them as
    float arrays (an empty list too); lists of objects as lists of Records;
    others as they are."""
    if not values:
        return np.array([], dtype=float)
    if all(isinstance(v, dict) for v in values):
        return [Record(v) for v in values]

    def numeric(v):
        return v is None or (isinstance(v, (int, float)) and not isinstance(v, bool))

    flat = values
    while flat and all(isinstance(v, list) for v in flat):
        flat = [x for v in flat for x in v]
    if values and flat and all(numeric(v) for v in flat):
        try:
            return np.array(values, dtype=float)
        except ValueError:  # ragged
            return [_series(v) for v in values]
    return values


class Record:
    """A JSON object of the flutter solution with attribute access: each
    key an attribute, series as numpy arrays (null as NaN), objects as
    Records; to_dict() gives the JSON object itself."""

    def __init__(self, values: Mapping[str, Any]) -> None:
        self._values = dict(values)

    def __getattr__(self, name: str):
        # Only the JSON's keys: copy and pickle look up their own methods
        # before __init__ has run.
        if name.startswith("_"):
            raise AttributeError(name)
        try:
            return self[name]
        except KeyError:
            raise AttributeError(name) from None

    def __getitem__(self, name: str):
        value = self._values[name]
        if isinstance(value, dict):
            return Record(value)
        if isinstance(value, list):
            return _series(value)
        return value

    def keys(self):
        return self._values.keys()

    def to_dict(self) -> dict:
        """The object as the JSON file holds it (a deep copy)."""
        return json.loads(json.dumps(self._values))

    def __repr__(self) -> str:
        return f"{type(self).__name__}({', '.join(self._values)})"


class FlutterResult(Record):
    """The flutter solution: the content of zelvan_flutter.json (tracked
    modes of the sweep, crossings, critical, divergence, pk, matched,
    state_space, section, lco) with attribute access; to_dict() equals the
    JSON file of the batch run of the same case."""


def _options(**options) -> dict:
    """The options of flutter and state_space with their types checked."""
    for key, value in options.items():
        if value is None:
            continue
        if key in ("speeds", "pressures"):
            if not isinstance(value, np.ndarray):
                value = list(value)
            try:
                values = np.asarray(value, dtype=float)
            except (TypeError, ValueError):
                raise _input_error(f"{key} must be an array of numbers") from None
            if values.ndim != 1:
                raise _input_error(f"{key} must be a one-dimensional array")
            options[key] = values.tolist()
        elif key in ("route", "method"):
            if not isinstance(value, str):
                raise _input_error(f"{key} must be a text, not {type(value).__name__}")
        elif key == "match_iterations":
            if isinstance(value, bool) or not isinstance(value, (int, np.integer)) or not 0 < value < 2**31:
                raise _input_error(f"match_iterations = {value!r} must be a whole number from 1 to 2147483647")
            options[key] = int(value)
        else:
            options[key] = _number(key, value)
    return options


def _solve(arguments: dict):
    """The flutter solution's JSON text and state-space model for the
    arguments of flutter or state_space (their locals())."""
    options = dict(arguments)
    model = options.pop("model")
    if isinstance(model, Case):
        target = model._record
    elif isinstance(model, Section):
        target = model._values()
    else:
        raise TypeError(f"model must be a zelvan.Section or a zelvan.Case, not {type(model).__name__}")
    return _zelvan.flutter(target, _options(**options))


def flutter(
    model: Union[Section, Case],
    route: Optional[str] = None,
    mach: Optional[float] = None,
    rho: Optional[float] = None,
    speeds: Optional[Iterable[float]] = None,
    pressures: Optional[Iterable[float]] = None,
    method: Optional[str] = None,
    sound_speed: Optional[float] = None,
    w_star: Optional[float] = None,
    match_tolerance: Optional[float] = None,
    match_iterations: Optional[int] = None,
) -> FlutterResult:
    """The flutter solution of a section or a case, as the batch run
    computes it.

    model: a Section, or a Case (its records; the arguments given replace
        its values).
    route: "thin_plate" (Theodorsen with the Prandtl-Glauert factor, any
        |mach| < 1) or "possio" (0.1 <= mach < 1); a Case also "external".
        Default: a Section's "thin_plate"; a Case's route as its input
        selects it (from w_star and Ma, after the values given here).
    mach: Mach number (default 0 for a Section).
    rho: air density [kg/m^3] (a Section needs it: it is the density of mu).
    speeds: the sweep's flow speeds [m/s] (q = rho u^2/2 each), or
    pressures: its dynamic pressures q [N/m^2]; a Section needs one of
        them, a Case sweeps its own dynamic pressures without them.
    method: "sweep" (tracked modes, crossings, divergence), "pk" or
        "matched" (also the p-k analysis, the matched point and the
        state-space model: flutter_method 1), "matched_mach" (the matched
        point matched in Mach number too, with sound_speed; flutter_method
        2).  Default: "pk" for a Section, a Case's own flutter_method.
    sound_speed: speed of sound [m/s] for "matched_mach".
    w_star: reduced frequency of the sweep's coefficients (default 0.3 for
        a Section; only the sweep's own crossings depend on it).
    match_tolerance, match_iterations: of the p-k points and the matched
        point (defaults 1e-6 and 30).

    Returns a FlutterResult.  Raises InputError or LibraryError.
    """
    text, _ = _solve(locals())
    return FlutterResult(json.loads(text))


class StateSpace:
    """The state-space model of a flutter solution: the section with the
    route's aerodynamics in Roger's (or the minimum-state) form,
    Q(s) = A0 + A1 s + A2 s^2 + sum_j D_j s/(s + gamma_j), s = p b/U."""

    def __init__(self, model, solution: FlutterResult) -> None:
        self._model = model
        ss = solution.state_space
        self.form: str = ss.form
        self.k_range: np.ndarray = ss.k_range
        self.lags: np.ndarray = ss.lags
        self.fit_error: float = ss.fit_error
        matrices = ss.matrices
        self.A0, self.A1, self.A2 = matrices[0], matrices[1], matrices[2]
        self.D = list(matrices[3:])
        self.solution = solution

    @property
    def mass(self) -> np.ndarray:
        """M [kg], 2 x 2."""
        return self._model.mass

    @property
    def damping(self) -> np.ndarray:
        return self._model.damping

    @property
    def stiffness(self) -> np.ndarray:
        return self._model.stiffness

    @property
    def rho(self) -> float:
        return self._model.rho

    @property
    def half_chord(self) -> float:
        return self._model.half_chord

    @property
    def state_count(self) -> int:
        return self._model.state_count()

    def A(self, u: float) -> np.ndarray:
        """The state matrix of z' = A z at flow speed u > 0 [m/s], z = (x,
        x', lag states), square of state_count."""
        return self._model.state_matrix(float(u))


def state_space(
    model: Union[Section, Case],
    route: Optional[str] = None,
    mach: Optional[float] = None,
    rho: Optional[float] = None,
    speeds: Optional[Iterable[float]] = None,
    pressures: Optional[Iterable[float]] = None,
    method: str = "pk",
    sound_speed: Optional[float] = None,
    w_star: Optional[float] = None,
    match_tolerance: Optional[float] = None,
    match_iterations: Optional[int] = None,
) -> StateSpace:
    """The state-space model of flutter(model, ...) with the same arguments
    (method "pk" unless given): the fitted matrices, lags and fit error as
    numpy arrays and the state matrix A(u).  Raises InputError when the
    solution has none (the method "sweep", the external route)."""
    text, ss = _solve(locals())
    if ss is None:
        raise _input_error(
            'no state-space model: it is fitted with the p-k analysis (method "pk", "matched" or '
            '"matched_mach") on the thin-plate and Possio routes'
        )
    return StateSpace(ss, FlutterResult(json.loads(text)))


@dataclasses.dataclass
class RunResult:
    """A batch run: its exit status, the parsed zelvan_flutter.json it
    wrote (None when it wrote none), its console text and its folder."""

    status: int
    json: Optional[dict]
    console: str
    folder: str


def _identity(path: str):
    try:
        st = os.stat(path)
    except FileNotFoundError:
        return None
    return (st.st_ino, st.st_mtime_ns, st.st_size)


def run(input_path: Union[str, os.PathLike], option: str = "LNX",
        folder: Union[str, os.PathLike, None] = None) -> RunResult:
    """The whole batch run of the input file `input_path` (a relative path
    is taken from `folder`, as the program takes it) with the
    operating-system option `option`, in `folder` (default: the current
    folder), in a process of its own: the program's result files and
    figures are written there.  Returns its exit status, the flutter
    solution it wrote and its console; nothing is printed."""
    folder = os.path.abspath(os.fspath(folder) if folder is not None else os.getcwd())
    path = os.fspath(input_path)
    result_path = os.path.join(folder, "zelvan_flutter.json")
    before = _identity(result_path)
    # The run's process imports this very package, wherever it was found.
    env = dict(os.environ)
    package_parent = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    env["PYTHONPATH"] = os.pathsep.join(p for p in (package_parent, env.get("PYTHONPATH")) if p)
    process = subprocess.run([sys.executable, "-m", "zelvan", option, path], cwd=folder, env=env,
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, check=False)
    console = process.stdout.decode("utf-8", errors="replace")
    solution = None
    # A file of an earlier run in the folder is not this run's: the run
    # puts each result file in place as a new file.
    after = _identity(result_path)
    if after is not None and after != before:
        with open(result_path, encoding="utf-8") as f:
            solution = json.load(f)
    return RunResult(process.returncode, solution, console, folder)
