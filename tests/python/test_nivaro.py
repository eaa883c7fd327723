"""The Python module against the batch program and under threads."""
import os
import pathlib
import subprocess
import threading

import numpy as np
import pytest

import nivaro

BATCH = pathlib.Path(os.environ.get("NIVARO_BATCH", "build/release/apps/nivaro-batch/nivaro-batch"))


def test_density_equals_the_batch_array_bit_for_bit(tmp_path):
    out = tmp_path / "density.npy"
    subprocess.run([str(BATCH), "--quiet", "--set", "slits=3", "--set", "X-scale=2:1", "--density", str(out)],
                   check=True, stderr=subprocess.DEVNULL)
    computed = nivaro.density(nivaro.Settings(slits=3, x_scale="2:1"))
    assert computed.dtype == np.float64 and computed.shape == (300, 300)
    assert np.array_equal(computed, np.load(out))


def test_settings_read_back_and_come_from_a_configuration(tmp_path):
    config = tmp_path / "nivaro.ini"
    config.write_text("[PARAMETERS]\nslits=5\n[2D]\nnx=64\n")
    settings = nivaro.Settings.from_config(str(config))
    settings.lambda_ = 2e-8
    assert (settings.slits, settings.nx, settings.lambda_, settings.x_scale) == (5, 64, 2e-8, "1:1")
    assert nivaro.psi(settings).shape == (64, 300)
    # Every setting reads back as it was set.
    values = dict(step=0.7, integrator="adaptive", tolerance=1e-8, model="wave", grating="phase",
                  propagator="exact", edge_width=3e-10, phase_depth=2.5, lambda_spread=0.02,
                  source_width=1e-3, coherence_samples=5)
    for name, value in values.items():
        setattr(settings, name, value)
    assert {name: getattr(settings, name) for name in values} == values


@pytest.mark.parametrize("keys, named", [
    (dict(sigma0=-1), "sigma0=-1"),
    (dict(slits="abc"), "slits=abc"),
    (dict(d=1e300), r"d=1e\+300"),
    (dict(colour=1), "colour"),
])
def test_a_bad_setting_raises_value_error_naming_it(keys, named):
    with pytest.raises(ValueError, match=named):
        nivaro.density(nivaro.Settings(**keys))


def test_a_stop_from_the_progress_callable_ends_the_computation_within_a_block():
    reports = []

    def stop(percent):
        reports.append(percent)
        raise KeyboardInterrupt

    with pytest.raises(KeyboardInterrupt):
        nivaro.density(nivaro.Settings(nx=2000, nz=2000, slits=20, threads=1), progress=stop)
    assert len(reports) == 1


def test_two_threads_at_once_give_what_one_after_the_other_gives():
    settings = [nivaro.Settings(slits=2), nivaro.Settings(slits=7, z0=0.5)]
    sequential = [nivaro.density(s) for s in settings]
    parallel = [None, None]

    def compute(index):
        parallel[index] = nivaro.density(settings[index])

    threads = [threading.Thread(target=compute, args=(k,)) for k in range(2)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert all(np.array_equal(a, b) for a, b in zip(sequential, parallel))


def test_spectrum_trajectories_and_carpet_have_their_shapes():
    settings = nivaro.Settings()
    assert nivaro.spectrum(settings).shape == (256, 256)
    trajectories = nivaro.trajectories(settings)
    assert set(trajectories) == {"start_row", "step", "row", "column", "x_m", "z_m"}
    assert len({len(v) for v in trajectories.values()}) == 1
    carpet = nivaro.carpet(settings, contrast=2, trajectories=False)
    assert carpet.shape == (300, 300, 3) and carpet.dtype == np.uint8
    assert (carpet[..., 0] == carpet[..., 1]).all(), "grey without trajectories"


def test_ensembles_and_the_quantum_potential_match_the_batch(tmp_path):
    settings = nivaro.Settings(slits=3)
    paths = nivaro.ensemble(settings, count=300, seed=4)
    assert paths["row"].shape == (300, 300) and paths["row"].dtype == np.float32
    assert np.array_equal(paths["start_row"], nivaro.ensemble(settings, count=300, seed=4)["start_row"])
    histogram = nivaro.ensemble_histogram(settings, count=3000, seed=2, bins=20)
    subprocess.run([str(BATCH), "--quiet", "--set", "slits=3", "--ensemble", "3000", "--seed", "2", "--bins", "20",
                    "--histogram", str(tmp_path / "h.csv")], check=True, stderr=subprocess.DEVNULL)
    table = np.genfromtxt(tmp_path / "h.csv", delimiter=",", names=True)
    assert np.array_equal(table["ensemble"], histogram["ensemble"])
    assert np.allclose(table["x_m"], histogram["x_m"], rtol=1e-15)
    assert histogram["total_variation"] < 0.1
    q = nivaro.quantum_potential(settings)
    subprocess.run([str(BATCH), "--quiet", "--set", "slits=3", "--quantum-potential", str(tmp_path / "q.npy")],
                   check=True, stderr=subprocess.DEVNULL)
    assert np.array_equal(np.load(tmp_path / "q.npy"), q, equal_nan=True)
    assert np.isfinite(q).all(), "three slits: |psi| is nowhere below the floor on this grid"


def test_array_files_read_back_in_numpy_and_h5py(tmp_path):
    h5py = pytest.importorskip("h5py")
    run = [str(BATCH), "--quiet", "--set", "slits=4"]
    subprocess.run(run + ["--density", str(tmp_path / "d.txt"), "--psi", str(tmp_path / "p.npy"),
                          "--output", str(tmp_path / "run.h5")], check=True, stderr=subprocess.DEVNULL)
    subprocess.run(run + ["--density", str(tmp_path / "d.npy")], check=True, stderr=subprocess.DEVNULL)
    density = np.load(tmp_path / "d.npy")
    assert np.abs(density - np.loadtxt(tmp_path / "d.txt")).max() <= 5e-5, "the table to its printed precision"
    with h5py.File(tmp_path / "run.h5", "r") as f:
        assert np.array_equal(f["density"][()], density)
        assert f["psi"].dtype == np.complex128
        assert np.array_equal(f["psi"][()], np.load(tmp_path / "p.npy")), "psi to the last bit"
        assert np.array_equal(f["psi"][()], nivaro.psi(nivaro.Settings(slits=4)))
        assert f["x_m"].shape == (300,) and f["z_m"].attrs["unit"] == "m"
        settings = {"slits": "4", "mass": "9.1095E-31", "lambda": "1E-8", "d": "1E-8", "slite width": "1E-8",
                    "sigma0": "2E-9", "X-scale": "1:1", "Z-scale": "1:1", "P-scale": "1:1", "z0": "0",
                    "nx": "300", "nz": "300", "nxb": "150", "dxb": "0.5", "step": "1", "program_version": "1.26"}
        assert {key: f.attrs[key] for key in settings} == settings
