"""A Talbot carpet of five slits from Python, plotted when matplotlib is there.

Run from the repository after building:
    PYTHONPATH=build/release/python python3 examples/carpet.py
"""
import nivaro

settings = nivaro.Settings(slits=5, nz=600, z0=0.0)
density = nivaro.density(settings)
print("density", density.shape, "maximum", density.max())

trajectories = nivaro.trajectories(settings)
print("trajectory positions", len(trajectories["row"]))

try:
    import matplotlib.pyplot as plt
except ImportError:
    print("matplotlib is not installed: no plot")
else:
    picture = nivaro.carpet(settings, contrast=1, trajectories=True)
    plt.imshow(picture, aspect="auto")
    plt.xlabel("z (grid columns)")
    plt.ylabel("x (grid rows)")
    plt.title("Talbot carpet, 5 slits")
    plt.savefig("carpet.png", dpi=150)
    print("wrote carpet.png")
