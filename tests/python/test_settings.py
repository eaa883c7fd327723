"""Settings as a Python value: construction, errors, round trips, documentation."""
import ast
import copy
import inspect
import pathlib
import pickle
import subprocess
import warnings

import numpy as np
import pytest

import nivaro

SETTINGS = [
    nivaro.Settings(),
    nivaro.Settings(slits=5, x_scale="2:1"),
    nivaro.Settings(lambda_=1.234567890123e-8, nx=64, nxb=20, integrator="adaptive", model="slits", threads=3),
]


@pytest.mark.parametrize("settings", SETTINGS, ids=repr)
def test_settings_round_trip_through_repr_pickle_copy_and_dict(settings):
    namespace = {"Settings": nivaro.Settings}
    for twin in (eval(repr(settings), namespace), pickle.loads(pickle.dumps(settings)), copy.copy(settings),
                 copy.deepcopy(settings), nivaro.Settings(**settings.to_dict())):
        assert twin == settings and twin is not settings
        assert twin.to_dict() == settings.to_dict()
    assert settings != nivaro.Settings(slits=9) and settings != settings.to_dict()


def test_repr_shows_only_the_changed_settings_and_equality_is_by_value():
    assert repr(nivaro.Settings(slits=5, x_scale="2:1")) == "Settings(slits=5, x_scale='2:1')"
    assert repr(nivaro.Settings(threads=2)) == "Settings(threads=2)"
    assert nivaro.Settings(slits=2) == nivaro.Settings(), "the default, given or not"
    changed = nivaro.Settings()
    changed.nz = 100
    assert changed == nivaro.Settings(nz=100) and changed != nivaro.Settings()


@pytest.mark.parametrize("keys, error, named", [
    (dict(sigma0=-1), ValueError, "sigma0=-1"),
    (dict(slits="abc"), ValueError, "slits=abc"),
    (dict(d=1e300), ValueError, r"d=1e\+300"),
    (dict(tolerance=2.0), ValueError, "tolerance"),
    (dict(nx=100, nxb=101), ValueError, "nxb"),
    (dict(threads=0), ValueError, "threads .* 1 to 1024"),
    (dict(threads=-1), ValueError, "threads"),
    (dict(threads=100000), ValueError, "threads"),
    (dict(slits=[2]), TypeError, "slits"),
    (dict(colour=1), TypeError, "colour"),
])
def test_a_bad_setting_raises_at_construction_naming_it(keys, error, named):
    with pytest.raises(error, match=named):
        nivaro.Settings(**keys)


def test_a_refused_assignment_keeps_the_settings():
    settings = nivaro.Settings(nx=100)
    with pytest.raises(ValueError, match="nx"):
        settings.nx = 0
    with pytest.raises(AttributeError, match="did you mean 'slits'"):
        settings.slitz = 3
    assert settings == nivaro.Settings(nx=100)


def test_settings_read_back_and_come_from_a_configuration(tmp_path):
    config = tmp_path / "nivaro.ini"
    config.write_text("[PARAMETERS]\nslits=5\n[2D]\nnx=64\n")
    settings = nivaro.Settings.from_config(config)
    settings.lambda_ = 2e-8
    assert (settings.slits, settings.nx, settings.lambda_, settings.x_scale) == (5, 64, 2e-8, "1:1")
    # Every setting reads back as it was set.
    values = dict(step=0.7, integrator="adaptive", tolerance=1e-8, model="wave", grating="phase",
                  propagator="exact", edge_width=3e-10, phase_depth=2.5, lambda_spread=0.02,
                  source_width=1e-3, coherence_samples=5)
    for name, value in values.items():
        setattr(settings, name, value)
    assert {name: getattr(settings, name) for name in values} == values


def test_a_configuration_file_gives_what_the_batch_computes_from_it(tmp_path, batch):
    config = tmp_path / "nivaro.ini"
    config.write_text("[PARAMETERS]\nslits=4\nlambda=1.5E-8\n[AXIS]\nX-scale=3:2\n[2D]\nnx=90\nnz=70\nz0=0.25\n")
    subprocess.run([str(batch), "--quiet", "--config", str(config), "--density", str(tmp_path / "d.npy")],
                   check=True, stderr=subprocess.DEVNULL)
    assert np.array_equal(nivaro.density(nivaro.Settings.from_config(config)), np.load(tmp_path / "d.npy"))


def test_replaced_configuration_values_warn_with_the_batch_messages(tmp_path, batch):
    config = tmp_path / "nivaro.ini"
    config.write_text("[2D]\nnx=0\nstep=-1\n")
    run = subprocess.run([str(batch), "--config", str(config), "--write-config", str(tmp_path / "out.ini")],
                         check=True, stderr=subprocess.PIPE, text=True)
    printed = [line.removeprefix("nivaro-batch: ") for line in run.stderr.splitlines() if "configuration" in line]
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        settings = nivaro.Settings.from_config(str(config))
    assert [str(w.message) for w in caught] == printed and len(printed) == 2
    assert all(w.category is UserWarning for w in caught)
    assert (settings.nx, settings.step) == (300, 1.0)


@pytest.mark.parametrize("path, error", [("missing.ini", FileNotFoundError), (".", IsADirectoryError)])
def test_an_unreadable_configuration_raises_os_error(tmp_path, path, error):
    with pytest.raises(error):
        nivaro.Settings.from_config(tmp_path / path)


def test_every_key_is_listed_documented_and_stubbed():
    assert set(nivaro.KEYS) <= set(dir(nivaro.Settings())) and "lambda_" in nivaro.KEYS
    assert all("default" in getattr(nivaro.Settings, key).__doc__ for key in nivaro.KEYS)
    package = pathlib.Path(nivaro.__file__).parent
    assert (package / "py.typed").exists()
    stub = ast.parse((package / "__init__.pyi").read_text())
    settings_class = next(node for node in stub.body if isinstance(node, ast.ClassDef) and node.name == "Settings")
    annotated = {node.target.id for node in settings_class.body if isinstance(node, ast.AnnAssign)}
    assert annotated == {*nivaro.KEYS, "threads"}
    stubbed = {node.name for node in stub.body if isinstance(node, ast.FunctionDef)}
    assert stubbed == {name for name in nivaro.__all__ if inspect.isfunction(getattr(nivaro, name))}
    for name in stubbed:
        function = getattr(nivaro, name)
        assert "Returns" in function.__doc__ and list(inspect.signature(function).parameters)[0] == "settings"


def test_version_is_the_batch_program_s(batch):
    run = subprocess.run([str(batch), "--version"], check=True, capture_output=True, text=True)
    assert run.stdout.split() == ["nivaro-batch", nivaro.__version__]
