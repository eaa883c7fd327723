"""Results with their coordinates, units and settings; sweeps."""
import subprocess

import numpy as np
import pytest

import nivaro

SMALL = nivaro.Settings(nx=40, nz=30, nxb=40, dxb=4, x_scale="2:1", z0=0.25)


def test_the_grid_is_the_run_file_s_bit_for_bit(tmp_path, batch):
    h5py = pytest.importorskip("h5py")
    settings = nivaro.Settings(slits=4, nx=70, nz=50, x_scale="3:2", z_scale="1:2", z0=0.3)
    subprocess.run([str(batch), "--quiet", "--set", "slits=4", "--set", "nx=70", "--set", "nz=50", "--set",
                    "X-scale=3:2", "--set", "Z-scale=1:2", "--set", "z0=0.3", "--output", str(tmp_path / "run.h5")],
                   check=True, stderr=subprocess.DEVNULL)
    grid = nivaro.grid(settings)
    with h5py.File(tmp_path / "run.h5", "r") as f:
        assert np.array_equal(grid.x_m, f["x_m"][()]) and np.array_equal(grid.z_m, f["z_m"][()])
    fx, fz = grid.spectrum_frequencies
    assert fx.shape == fz.shape == (256,)
    assert fx[1] == pytest.approx(1 / (256 * (grid.x_m[1] - grid.x_m[0])), rel=1e-9)


@pytest.mark.parametrize("compute, units, dims", [
    (nivaro.density, "1", ("x", "z")),
    (nivaro.psi, "m^-1/2", ("x", "z")),
    (nivaro.quantum_potential, "eV", ("x", "z")),
    (nivaro.carpet, "", ("x", "z", "rgb")),
    (nivaro.spectrum, "m^-1/2", ("fx", "fz")),
])
def test_every_field_has_the_grid_s_shape_units_and_settings(compute, units, dims):
    field = compute(SMALL)
    grid = nivaro.grid(SMALL)
    coordinates = {"x": grid.x_m, "z": grid.z_m, "fx": grid.spectrum_frequencies[0],
                   "fz": grid.spectrum_frequencies[1]}
    assert (field.units, field.dims, field.settings) == (units, dims, SMALL)
    assert field.shape[:2] == tuple(len(coordinates[dim]) for dim in dims[:2])
    assert all(np.array_equal(field.coords[dim], coordinates[dim]) for dim in dims[:2])
    assert np.array_equal(field.x_m, grid.x_m) and np.array_equal(field.z_m, grid.z_m)
    assert field.settings is not SMALL, "later changes to the settings do not rewrite the result"


@pytest.mark.parametrize("compute, length_of", [
    (nivaro.trajectories, lambda table: len(table["row"])),
    (lambda s: nivaro.ensemble(s, count=20), lambda table: 20),
    (lambda s: nivaro.ensemble_histogram(s, count=20, bins=7), lambda table: 7),
])
def test_every_table_gives_units_and_dimensions_for_its_arrays(compute, length_of):
    table = compute(SMALL)
    assert table.settings == SMALL and np.array_equal(table.z_m, nivaro.grid(SMALL).z_m)
    assert set(table.units) == set(table)
    for name, dims in table.dims.items():
        assert table[name].ndim == len(dims) and table[name].shape[0] == length_of(table)
        assert "z" not in dims or table[name].shape[dims.index("z")] == len(table.z_m)


def test_a_field_works_as_a_numpy_array_and_gives_plain_arrays():
    field = nivaro.density(SMALL)
    assert np.asarray(field) is field.values
    assert type(field * 2) is np.ndarray and np.array_equal(field * 2, 2 * field.values)
    assert np.sqrt(field).shape == field.shape and field.max() == field.values.max()
    assert np.array_equal(field[:, 0], field.values[:, 0]) and len(field) == 40


def test_results_become_xarray_objects_with_coordinates_and_units():
    pytest.importorskip("xarray")
    array = nivaro.psi(SMALL).to_xarray()
    assert array.dims == ("x", "z") and array.attrs["units"] == "m^-1/2"
    assert np.array_equal(array["x"], nivaro.grid(SMALL).x_m) and array["z"].attrs["units"] == "m"
    dataset = nivaro.ensemble_histogram(SMALL, count=20, bins=7).to_xarray()
    assert dataset["density"].attrs["units"] == "1/m" and dataset.attrs["counted"] == 20


def test_a_sweep_equals_its_separate_runs():
    swept = nivaro.sweep(SMALL, slits="2:5:2", z0=[0.0, 0.5])
    assert swept.dims == ("slits", "z0", "x", "z") and swept.shape == (2, 2, 40, 30)
    assert swept.coords["slits"].tolist() == [2, 5] and swept.coords["z0"].tolist() == [0.0, 0.5]
    for i, slits in enumerate([2, 5]):
        for j, z0 in enumerate([0.0, 0.5]):
            run = nivaro.Settings(**{**SMALL.to_dict(), "slits": slits, "z0": z0})
            assert np.array_equal(swept[i, j], nivaro.density(run))
    carpets = nivaro.sweep(SMALL, compute=nivaro.carpet, slits="3:4:2")
    assert carpets.shape == (2, 40, 30, 3) and np.array_equal(carpets[1], nivaro.carpet(nivaro.Settings(
        **{**SMALL.to_dict(), "slits": 4})))


def test_a_sweep_reports_each_run_and_stops_when_asked():
    reports = []
    nivaro.sweep(SMALL, progress=reports.append, slits=[2, 3, 4, 5])
    assert reports == [25, 50, 75, 100]

    def stop(percent):
        raise KeyboardInterrupt

    with pytest.raises(KeyboardInterrupt):
        nivaro.sweep(SMALL, progress=stop, slits=[2, 3])


@pytest.mark.parametrize("axes, error", [
    (dict(slits="2:8"), ValueError),
    (dict(slits="1:0:3"), ValueError),
    (dict(nx="20:40:2"), ValueError),
    (dict(sigma0=[1e-9, -1.0]), ValueError),
    (dict(colour="1:2:2"), TypeError),
    (dict(), TypeError),
])
def test_a_sweep_refuses_what_the_batch_refuses(axes, error):
    with pytest.raises(error):
        nivaro.sweep(SMALL, **axes)


@pytest.mark.parametrize("outputs", [["--density"], ["--psi", "--quantum-potential"], ["--density", "--carpet"]],
                         ids=["streamed", "two arrays", "held whole"])
def test_single_array_files_carry_the_grid_s_coordinates(tmp_path, batch, outputs):
    h5py = pytest.importorskip("h5py")
    arguments = [str(batch), "--quiet", "--set", "nx=30", "--set", "nz=20", "--set", "z0=0.4"]
    for k, option in enumerate(outputs):
        arguments += [option, str(tmp_path / f"{k}.{'png' if option == '--carpet' else 'h5'}")]
    subprocess.run(arguments, check=True, stderr=subprocess.DEVNULL)
    grid = nivaro.grid(nivaro.Settings(nx=30, nz=20, z0=0.4))
    for k, option in enumerate(outputs):
        if option != "--carpet":
            with h5py.File(tmp_path / f"{k}.h5", "r") as f:
                assert np.array_equal(f["x_m"][()], grid.x_m) and np.array_equal(f["z_m"][()], grid.z_m)
                assert f["z_m"].attrs["unit"] == "m"
                (array,) = set(f) - {"x_m", "z_m"}
                assert [dimension[0].name for dimension in f[array].dims] == ["/x_m", "/z_m"], "dimension scales"
