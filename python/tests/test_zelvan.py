"""The Python module against the program's batch run, the independent
references of the tests and the published flutter point."""

import copy
import json
import math
import os
import pathlib
import pickle
import shutil
import subprocess
import sys

import numpy as np
import pytest

import zelvan

SOURCE = pathlib.Path(os.environ.get("ZELVAN_SOURCE_DIR", pathlib.Path(__file__).resolve().parents[2]))
EXAMPLES = SOURCE / "examples"
TEXTBOOK = EXAMPLES / "sections" / "textbook.inp"

# The module and the batch run make the same arithmetic: the JSON agrees to
# the bit; 1e-12 relative leaves room for nothing but a printed rounding.
SAME_RUN = 1e-12
# The mpmath solve of the collocation equations agrees with the fast
# assembly to 6.5e-13 of the largest entry (docs/possio-solver.md).
POSSIO_REFERENCE = 1e-11
# Theodorsen's C(k) is given to 25 digits; the closed form and the route
# round differently, a few units of 1e-16 on entries of order 10.
CLOSED_FORM = 1e-13
# DEVLCG and LAPACK's eigenvalues of the same state matrix: both backward
# stable, on matrices whose entries span about 1e4.
EIGENVALUES = 1e-9


def assert_same_json(actual, expected, path="$", zero=1e-300):
    """Equal JSON values: the same keys, lists and texts, numbers to SAME_RUN
    (or within `zero`)."""
    if isinstance(expected, dict):
        assert isinstance(actual, dict) and actual.keys() == expected.keys(), path
        for key in expected:
            assert_same_json(actual[key], expected[key], f"{path}.{key}", zero)
    elif isinstance(expected, list):
        assert isinstance(actual, list) and len(actual) == len(expected), path
        for i, (a, e) in enumerate(zip(actual, expected)):
            assert_same_json(a, e, f"{path}[{i}]", zero)
    elif isinstance(expected, float) and not isinstance(actual, bool):
        assert actual == pytest.approx(expected, rel=SAME_RUN, abs=zero), path
    else:
        assert actual == expected, path


def batch_run(tmp_path, input_file):
    folder = tmp_path / "run"
    folder.mkdir()
    shutil.copy(input_file, folder / "zelvan.inp")
    for template in ("zelvan.lay0", "zelvan.sty0"):
        shutil.copy(EXAMPLES / template, folder / template)
    result = zelvan.run("zelvan.inp", "LNX", folder)
    assert result.status == 0, result.console
    return result


TEXTBOOK_SECTION = dict(b=0.5, a=-0.2, x_theta=0.1, r2=0.24, mu=20.0, sigma=0.4, f_theta=10.0)


# --- coefficients ---------------------------------------------------------


def possio_reference():
    for line in (SOURCE / "aero/tests/data/possio_matrix_reference.txt").read_text().splitlines():
        words = line.split()
        if words and words[0] == "exact":
            mach, k, xr, *v = map(float, words[1:])
            q = np.array([complex(v[2 * i], v[2 * i + 1]) for i in range(4)]).reshape(2, 2, order="F")
            yield mach, k, xr, q


@pytest.mark.parametrize("mach,k,xr,expected", list(possio_reference()))
def test_possio_agrees_with_the_independent_mpmath_solve(mach, k, xr, expected):
    q = zelvan.possio(mach, k, xr)
    assert q.shape == (3, 3)
    assert np.max(np.abs(q[:2, :2] - expected)) <= POSSIO_REFERENCE * np.max(np.abs(expected))


def test_possio_of_an_array_of_frequencies_is_each_frequency_alone():
    k = np.array([[0.1, 0.5], [1.0, 2.0]])
    q = zelvan.possio(0.6, k, -0.2, xrud=0.5)
    assert q.shape == (2, 2, 3, 3)
    for index in np.ndindex(k.shape):
        np.testing.assert_array_equal(q[index], zelvan.possio(0.6, k[index], -0.2, xrud=0.5))
    # The aileron's column vanishes with a hinge aft of every collocation point.
    assert np.all(zelvan.possio(0.6, 0.5, -0.2, xrud=0.998)[:, 2] == 0)


def theodorsen_reference():
    rows = []
    for line in (SOURCE / "aero/tests/data/theodorsen_reference.txt").read_text().splitlines():
        if line and not line.startswith("#"):
            k, re, im = map(float, line.split())
            rows.append((k, complex(re, im)))
    return rows[::20]


@pytest.mark.parametrize("x_p", [0.25, 0.4, 0.7])
@pytest.mark.parametrize("mach", [0.0, 0.5])
def test_thin_plate_is_theodorsens_closed_form(x_p, mach):
    # Lift L (up) and moment M (nose up) about the axis a = 2 x_p - 1 of a
    # plate in plunge h = b y (down) and pitch alpha, per q c and q c^2; the
    # route's rows are L and -M (the loads enter as M x'' + K x + q Q x = 0).
    a = 2.0 * x_p - 1.0
    beta = 1.0 / math.sqrt(1.0 - mach * mach)
    rows = theodorsen_reference()
    k = np.array([r[0] for r in rows])
    q = zelvan.thin_plate(k, x_p, mach)
    for (kk, c), qk in zip(rows, q):
        ik = 1j * kk
        lift = [2 * math.pi * (ik * c - kk * kk / 2),
                math.pi * (ik + kk * kk * a) + 2 * math.pi * c * (1 + ik * (0.5 - a))]
        moment = [-math.pi / 2 * a * kk * kk + math.pi * (a + 0.5) * c * ik,
                  math.pi / 2 * (-ik * (0.5 - a) + kk * kk * (0.125 + a * a))
                  + math.pi * (a + 0.5) * c * (1 + ik * (0.5 - a))]
        expected = beta * np.array([lift, [-m for m in moment]])
        assert np.max(np.abs(qk - expected)) <= CLOSED_FORM * np.max(np.abs(expected)), kk


# --- flutter ---------------------------------------------------------------


def test_the_textbook_section_flutters_at_its_published_point():
    section = zelvan.Section(**TEXTBOOK_SECTION)
    result = zelvan.flutter(section, rho=1.225, speeds=np.linspace(0.0, 140.0, 41))
    for point in (result.section.pk, result.section.matched):
        assert round(point.V, 6) == 2.183915
        assert round(point.omega_ratio, 6) == 0.648984
    assert result.matched.converged


@pytest.mark.parametrize("case", [
    TEXTBOOK,
    EXAMPLES / "cases/thin_plate_state_space/zelvan.inp",
    EXAMPLES / "cases/possio_mach05/zelvan.inp",
    EXAMPLES / "cases/lco_cubic_pitch/zelvan.inp",
])
def test_flutter_of_a_case_is_the_batch_runs_json(tmp_path, case):
    result = zelvan.flutter(zelvan.Case.read(case))
    assert_same_json(result.to_dict(), batch_run(tmp_path, case).json)


def test_flutter_of_a_section_is_the_batch_run_of_its_case(tmp_path):
    # The textbook case sweeps q = 115 i, i = 1..41 (f_s 2300 in 20 parts,
    # 20 more): the same pressures from the section alone.
    case = zelvan.Case.read(TEXTBOOK)
    result = zelvan.flutter(zelvan.Section(**TEXTBOOK_SECTION), rho=1.225, pressures=115.0 * np.arange(1, 42),
                            match_tolerance=1e-9).to_dict()
    expected = batch_run(tmp_path, TEXTBOOK).json
    assert result.pop("title") == "" and expected.pop("title") == case["title"]
    assert_same_json(result, expected)


def test_the_results_series_are_numpy_arrays_and_the_result_a_plain_value():
    result = zelvan.flutter(zelvan.Case.read(TEXTBOOK))
    assert isinstance(result.sweep.q, np.ndarray) and result.sweep.q.shape == (41,)
    f = result.pk.modes[0].f
    assert isinstance(f, np.ndarray) and f.dtype == float
    assert result.critical.u == result.to_dict()["critical"]["u"] == result["critical"]["u"]
    assert pickle.loads(pickle.dumps(result)).to_dict() == copy.deepcopy(result).to_dict() == result.to_dict()


def test_a_section_takes_the_thin_plate_route_at_any_mach_number_unless_told():
    section = zelvan.Section(**TEXTBOOK_SECTION)
    routes = [zelvan.flutter(section, rho=1.225, speeds=[50.0, 100.0], mach=0.5, route=route, method="sweep").route
              for route in (None, "possio")]
    assert routes == ["thin plate", "Possio"]


def test_state_space_is_the_solutions_model_and_its_matrix_has_the_p_methods_roots():
    case = zelvan.Case.read(EXAMPLES / "cases/thin_plate_state_space/zelvan.inp")
    ss = zelvan.state_space(case)
    expected = zelvan.flutter(case).state_space
    np.testing.assert_array_equal(ss.lags, expected.lags)
    np.testing.assert_array_equal(ss.A0, expected.matrices[0])
    assert ss.fit_error == expected.fit_error and len(ss.D) == len(expected.matrices) - 3
    for speed in expected.speeds[1::5]:
        roots = np.array([complex(*r) for r in speed.to_dict()["roots"]])
        eig = np.linalg.eigvals(ss.A(speed.u))
        assert ss.A(speed.u).shape == (ss.state_count, ss.state_count)
        # Nearest-root matching: each root of the program has one of LAPACK's.
        for r in roots:
            assert np.min(np.abs(eig - r)) <= EIGENVALUES * np.max(np.abs(roots))


# --- the record form ------------------------------------------------------


def test_a_case_reads_edits_and_writes_through_the_records(tmp_path):
    case = zelvan.Case.read(TEXTBOOK)
    assert case["rho"] == 1.225 and case["nstep"] == 20 and case["cubic_theta"] is None
    assert case.section == zelvan.Section(**TEXTBOOK_SECTION)
    edited = case.with_values(rho=1.0, mu=40.0, title="edited")
    assert (edited["rho"], edited["mu"], edited["title"], case["rho"]) == (1.0, 40.0, "edited", 1.225)
    changed = [(a, b) for a, b in zip(case.text.splitlines(), edited.text.splitlines()) if a != b]
    assert len(changed) == 3
    # A group the file lacks comes with its records; its required ones are given.
    nonlinear = case.with_values(cubic_theta=3.0, lco_V_start=1.0, lco_V_end=3.0)
    assert nonlinear["lco_count"] == 20
    path = tmp_path / "edited.inp"
    path.write_text("")
    path.chmod(0o640)
    edited.write(path)
    assert zelvan.Case.read(path).text == edited.text and path.stat().st_mode & 0o777 == 0o640


def test_a_case_keeps_bytes_that_are_not_utf8():
    latin1 = TEXTBOOK.read_bytes().replace(b"Benchmark section textbook", b"Profil \xe9tude".ljust(26))
    path = pathlib.Path(os.environ.get("TMPDIR", "/tmp")) / f"zelvan-latin1-{os.getpid()}.inp"
    path.write_bytes(latin1)
    try:
        case = zelvan.Case.read(path)
        assert case["title"] == "Profil \udce9tude" and case.text.encode("utf-8", "surrogateescape") == latin1
        assert zelvan.flutter(case).title == "Profil \ufffdtude"
        with pytest.raises(zelvan.InputError, match="\ufffd"):
            zelvan.Case(latin1.decode("utf-8", "surrogateescape").replace("    1.0E-6", "   1.0E-6\xe9"))
    finally:
        path.unlink()


# --- failures and side effects -------------------------------------------


@pytest.mark.parametrize("call,error,message", [
    (lambda: zelvan.Section(**{**TEXTBOOK_SECTION, "r2": 0.001}), zelvan.InputError,
     "Section r2 = 0.001: r2 must be greater than x_theta squared"),
    (lambda: zelvan.Section(**{**TEXTBOOK_SECTION, "a": 2.0}), zelvan.InputError, "Section a = 2: a must lie from -1"),
    (lambda: zelvan.thin_plate(-1.0, 0.4), zelvan.LibraryError, "TERMINAL ERROR 1 from DBSY0"),
    (lambda: zelvan.thin_plate([0.1, math.nan], 0.4), zelvan.InputError, "k = nan must be finite"),
    (lambda: zelvan.thin_plate(0.1, 0.4, mach=1.0), zelvan.InputError, "needs |mach| < 1"),
    (lambda: zelvan.possio(0.5, 0.3, math.nan), zelvan.InputError, "xr = nan must be finite"),
    (lambda: zelvan.possio(1.2, 0.3, 0.0), zelvan.InputError, "is outside the range 0.1 <= M < 1 of the solver"),
    (lambda: zelvan.possio(0.5, 0.3, 0.0, xrud=1.5), zelvan.InputError, "hinge"),
    (lambda: zelvan.Case("   x\n"), zelvan.InputError, '!!! Input error: file "zelvan.inp", line 1'),
    (lambda: zelvan.Case.read(TEXTBOOK)["nosuch"], zelvan.InputError, 'no field named "nosuch"'),
    (lambda: zelvan.Case.read(TEXTBOOK).with_values(npoints=2.5), zelvan.InputError, "npoints"),
    (lambda: zelvan.flutter(zelvan.Section(**TEXTBOOK_SECTION), speeds=[1.0]), zelvan.InputError, "needs the air density"),
    (lambda: zelvan.flutter(zelvan.Section(**TEXTBOOK_SECTION), rho=1.2), zelvan.InputError, "needs the sweep's flow speeds"),
    (lambda: zelvan.flutter(zelvan.Case.read(TEXTBOOK), mach=math.nan), zelvan.InputError, "mach = nan must be"),
    (lambda: zelvan.flutter(zelvan.Case.read(TEXTBOOK), match_iterations=30.0), zelvan.InputError,
     "must be a whole number"),
    (lambda: zelvan.flutter(zelvan.Case.read(TEXTBOOK), method=1), zelvan.InputError, "method must be a text"),
    (lambda: zelvan.flutter(zelvan.Case.read(TEXTBOOK), mach="0.5"), zelvan.InputError, "mach must be a number"),
    (lambda: zelvan.Section(**TEXTBOOK_SECTION).structure(0.0), zelvan.InputError, "rho = 0 must be positive"),
    (lambda: zelvan.flutter(zelvan.Case.read(TEXTBOOK), method="k"), zelvan.InputError, 'method "k" is not one of'),
    (lambda: zelvan.flutter(zelvan.Case.read(TEXTBOOK), route="panel"), zelvan.InputError, 'route "panel" is not'),
    (lambda: zelvan.flutter(zelvan.Case.read(TEXTBOOK), method="matched_mach"), zelvan.InputError, "sound_speed > 0"),
    (lambda: zelvan.flutter(zelvan.Case.read(TEXTBOOK), route="possio", mach=1.0), zelvan.InputError, "needs Ma < 1"),
    (lambda: zelvan.state_space(zelvan.Case.read(TEXTBOOK), method="sweep"), zelvan.InputError, "no state-space model"),
])
def test_each_failure_raises_its_exception_with_the_programs_message(call, error, message):
    with pytest.raises(error, match=None) as raised:
        call()
    assert message in str(raised.value)
    assert "ZELVAN terminated" not in str(raised.value)
    assert isinstance(raised.value, zelvan.Error) and raised.value.status in {zelvan.InputError: (1, 2), zelvan.LibraryError: (3,)}[error]


def test_the_analyses_print_nothing_and_write_no_file(tmp_path, capfd, monkeypatch):
    monkeypatch.chdir(tmp_path)
    zelvan.flutter(zelvan.Case.read(EXAMPLES / "cases/possio_mach05/zelvan.inp"))
    zelvan.possio(0.5, [0.1, 0.2], 0.0)
    with pytest.raises(zelvan.LibraryError):
        zelvan.thin_plate(-1.0, 0.4)
    assert capfd.readouterr() == ("", "")
    assert list(tmp_path.iterdir()) == []


def test_run_returns_the_exit_status_and_no_solution_of_an_earlier_run(tmp_path):
    result = batch_run(tmp_path, TEXTBOOK)
    assert "Input data read" in result.console
    again = zelvan.run("missing.inp", folder=result.folder)
    assert again.status == 2 and again.json is None
    assert "cannot open the input file" in again.console
    assert json.loads((tmp_path / "run" / "zelvan_flutter.json").read_text()) == result.json


def test_the_examples_run_and_say_what_they_compute(tmp_path):
    env = {**os.environ, "PYTHONPATH": os.path.dirname(os.path.dirname(zelvan.__file__))}
    run = lambda *args: subprocess.run([sys.executable, *map(str, args)], env=env, cwd=tmp_path, check=True,
                                       capture_output=True, text=True).stdout
    assert run(EXAMPLES / "python/textbook_flutter.py").startswith("V = 2.183915, omega/omega_theta = 0.648984")
    assert "Ma 0.85" in run(EXAMPLES / "python/mach_boundary.py", tmp_path / "boundary.png")
    assert (tmp_path / "boundary.png").read_bytes()[:4] == b"\x89PNG"


def test_the_type_stubs_declare_every_public_name_with_its_parameters():
    import ast
    import inspect

    stub = ast.parse((pathlib.Path(zelvan.__file__).parent / "__init__.pyi").read_text())
    declared = {node.name: node for node in stub.body if isinstance(node, (ast.FunctionDef, ast.ClassDef))}
    declared.update({t.id: node for node in stub.body if isinstance(node, ast.Assign) for t in node.targets})
    assert set(zelvan.__all__) <= declared.keys()
    for name in zelvan.__all__:
        value = getattr(zelvan, name)
        if inspect.isfunction(value):
            stub_args = declared[name].args
            names = [a.arg for a in stub_args.args + stub_args.kwonlyargs]
            if stub_args.kwarg:
                names.append(stub_args.kwarg.arg)
            assert names == list(inspect.signature(value).parameters), name
