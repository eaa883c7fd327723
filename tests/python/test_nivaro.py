"""The Python module against the batch program and under threads."""
import os
import subprocess
import threading

import numpy as np
import pytest

import nivaro


def test_density_equals_the_batch_array_bit_for_bit(tmp_path, batch):
    out = tmp_path / "density.npy"
    subprocess.run([str(batch), "--quiet", "--set", "slits=3", "--set", "X-scale=2:1", "--density", str(out)],
                   check=True, stderr=subprocess.DEVNULL)
    computed = nivaro.density(nivaro.Settings(slits=3, x_scale="2:1"))
    assert computed.dtype == np.float64 and computed.shape == (300, 300)
    assert np.array_equal(computed, np.load(out))


@pytest.mark.parametrize("call, error", [
    (lambda s: nivaro.ensemble(s, count=0), ValueError),
    (lambda s: nivaro.ensemble(s, count=10, integrator="leapfrog"), ValueError),
    (lambda s: nivaro.ensemble_histogram(s, count=10, bins=0), ValueError),
    (lambda s: nivaro.carpet(s, contrast=6), ValueError),
    (lambda s: nivaro.trajectories(nivaro.Settings(lambda_spread=0.02)), ValueError),
    (lambda s: nivaro.density(s.to_dict()), TypeError),
    (lambda s: nivaro.density(s, progress="yes"), TypeError),
])
def test_bad_arguments_of_the_computations_raise(call, error):
    with pytest.raises(error):
        call(nivaro.Settings(nx=16, nz=16))


SMALL = nivaro.Settings(nx=40, nz=40, nxb=40, dxb=4)
COMPUTATIONS = {
    "density": lambda **p: nivaro.density(SMALL, **p),
    "psi": lambda **p: nivaro.psi(SMALL, **p),
    "spectrum": lambda **p: nivaro.spectrum(SMALL, **p),
    "trajectories": lambda **p: nivaro.trajectories(SMALL, **p),
    "carpet": lambda **p: nivaro.carpet(SMALL, **p),
    "quantum_potential": lambda **p: nivaro.quantum_potential(SMALL, **p),
    "ensemble": lambda **p: nivaro.ensemble(SMALL, count=50, **p),
    "ensemble_histogram": lambda **p: nivaro.ensemble_histogram(SMALL, count=50, bins=5, **p),
    "visibility": lambda **p: nivaro.visibility(SMALL, **p),
}


@pytest.mark.parametrize("name", COMPUTATIONS)
def test_every_computation_reports_up_to_100_percent_and_stops_when_asked(name):
    reports = []
    COMPUTATIONS[name](progress=reports.append)
    assert reports[-1] == 100 and reports == sorted(set(reports))

    def stop(percent):
        raise KeyboardInterrupt

    with pytest.raises(KeyboardInterrupt):
        COMPUTATIONS[name](progress=stop)


def test_progress_true_shows_a_bar_that_ends_full(capsys):
    pytest.importorskip("tqdm")
    nivaro.density(SMALL, progress=True)
    assert "100%" in capsys.readouterr().err


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


def test_a_partially_coherent_beams_visibility_matches_the_batch(tmp_path, batch):
    keys = dict(slits=9, lambda_=1e-10, z0=1, nz=20, lambda_spread=0.02)
    visibility = nivaro.visibility(nivaro.Settings(**keys))
    subprocess.run([str(batch), "--quiet", "--set", "slits=9", "--set", "lambda=1e-10", "--set", "z0=1", "--set",
                    "nz=20", "--set", "lambda spread=0.02", "--visibility", str(tmp_path / "v.csv")],
                   check=True, stderr=subprocess.DEVNULL)
    table = np.genfromtxt(tmp_path / "v.csv", delimiter=",", names=True)
    assert np.array_equal(table["visibility"], visibility["visibility"])
    assert visibility["z_over_zt"][0] == 1.0
    assert visibility["visibility"][0] < nivaro.visibility(nivaro.Settings(**{**keys, "lambda_spread": 0}))["visibility"][0]


def test_ensembles_and_the_quantum_potential_match_the_batch(tmp_path, batch):
    settings = nivaro.Settings(slits=3)
    paths = nivaro.ensemble(settings, count=300, seed=4)
    assert paths["row"].shape == (300, 300) and paths["row"].dtype == np.float32
    assert np.array_equal(paths["start_row"], nivaro.ensemble(settings, count=300, seed=4)["start_row"])
    histogram = nivaro.ensemble_histogram(settings, count=3000, seed=2, bins=20)
    subprocess.run([str(batch), "--quiet", "--set", "slits=3", "--ensemble", "3000", "--seed", "2", "--bins", "20",
                    "--histogram", str(tmp_path / "h.csv")], check=True, stderr=subprocess.DEVNULL)
    table = np.genfromtxt(tmp_path / "h.csv", delimiter=",", names=True)
    assert np.array_equal(table["ensemble"], histogram["ensemble"])
    assert np.allclose(table["x_m"], histogram["x_m"], rtol=1e-15)
    assert histogram["total_variation"] < 0.1
    q = nivaro.quantum_potential(settings)
    subprocess.run([str(batch), "--quiet", "--set", "slits=3", "--quantum-potential", str(tmp_path / "q.npy")],
                   check=True, stderr=subprocess.DEVNULL)
    assert np.array_equal(np.load(tmp_path / "q.npy"), q, equal_nan=True)
    assert np.isfinite(q).all(), "three slits: |psi| is nowhere below the floor on this grid"


def test_array_files_read_back_in_numpy_and_h5py(tmp_path, batch):
    h5py = pytest.importorskip("h5py")
    run = [str(batch), "--quiet", "--set", "slits=4"]
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


def test_the_batch_writes_nothing_of_qt_without_a_runtime_folder(tmp_path, batch):
    environment = {name: value for name, value in os.environ.items() if name != "XDG_RUNTIME_DIR"}
    run = subprocess.run([str(batch), "--quiet", "--set=nx=8", "--density=" + str(tmp_path / "d.npy")],
                         env=environment, capture_output=True, text=True, check=True)
    assert run.stderr == "" and np.load(tmp_path / "d.npy").shape == (8, 300)


def test_run_files_and_pictures_record_what_made_them(tmp_path, batch):
    h5py = pytest.importorskip("h5py")
    arguments = ["--quiet", "--set", "nx=20", "--set", "slite width=9E-9", "--seed", "18446744073709551615",
                 "--output", str(tmp_path / "run.h5"), "--carpet=" + str(tmp_path / "carpet.png")]
    subprocess.run([str(batch), *arguments], check=True, stderr=subprocess.DEVNULL)
    with h5py.File(tmp_path / "run.h5", "r") as f:
        attributes = dict(f.attrs)
    assert attributes["command_line"] == "nivaro-batch " + " ".join(
        f"'{a}'" if " " in a else a for a in arguments)
    assert attributes["seed"] == "18446744073709551615", "every digit of the seed"
    assert np.datetime64(attributes["created"].rstrip("Z")) <= np.datetime64("now")
    assert (attributes["hbar_J_s"], attributes["electron_volt_J"]) == (1.054571628e-34, 1.602176634e-19)
    assert attributes["spectrum_display_cap"] == 1e6
    assert b"tEXtSoftware\0Nivaro " + nivaro.__version__.encode() in (tmp_path / "carpet.png").read_bytes()


def test_the_run_file_keeps_the_ensemble_its_histogram_and_q_when_the_run_computed_them(tmp_path, batch):
    h5py = pytest.importorskip("h5py")
    subprocess.run([str(batch), "--quiet", "--set", "nx=60", "--set", "slits=3", "--ensemble", "80", "--seed", "7",
                    "--bins", "9", "--histogram", str(tmp_path / "h.csv"), "--quantum-potential",
                    str(tmp_path / "q.npy"), "--output", str(tmp_path / "run.h5")], check=True,
                   stderr=subprocess.DEVNULL)
    settings = nivaro.Settings(nx=60, slits=3)
    paths = nivaro.ensemble(settings, count=80, seed=7)
    table = np.genfromtxt(tmp_path / "h.csv", delimiter=",", names=True)
    with h5py.File(tmp_path / "run.h5", "r") as f:
        assert np.array_equal(f["quantum_potential"][()], np.load(tmp_path / "q.npy"), equal_nan=True)
        assert np.array_equal(f["ensemble/start_row"][()], paths["start_row"])
        assert np.array_equal(f["ensemble/row"][()], paths["row"], equal_nan=True)
        assert np.array_equal(f["ensemble/end"][()], paths["end"])
        assert np.array_equal(f["histogram/ensemble"][()], table["ensemble"])
        assert f.attrs["histogram_column"] == 299 and f["histogram/density"].attrs["unit"] == "1/m"
        for grid in ("density", "psi", "quantum_potential"):
            assert [dimension[0].name for dimension in f[grid].dims] == ["/x_m", "/z_m"], grid
    subprocess.run([str(batch), "--quiet", "--set", "nx=60", "--output", str(tmp_path / "plain.h5")], check=True,
                   stderr=subprocess.DEVNULL)
    with h5py.File(tmp_path / "plain.h5", "r") as f:
        assert not {"quantum_potential", "ensemble", "histogram"} & set(f), "only what the run computed"
