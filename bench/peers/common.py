"""Shared parts of the matplotlib peer: reading a column data file and drawing one station's sheet.

Written as a user of pandas and matplotlib would write it: pandas reads the file, matplotlib draws
log-log axes at a fixed size in centimetres on a paper-sized figure, the resistivity curve with
filled circles, a legend and the title.
"""
import math
import statistics
import time

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import pandas as pd  # noqa: E402

CM = 1 / 2.54
TITLE = "电测深观测数据"
CM_PER_DECADE = 6.25
COLUMNS = ["station", "ab", "mn", "rho", "m1", "r", "th", "td", "zp", "flag", "spare1", "spare2"]

plt.rcParams["font.sans-serif"] = ["WenQuanYi Micro Hei", "DejaVu Sans"]


def read_column_file(path):
    """The measurement rows of a column file: three header lines, then blank-separated fields."""
    return pd.read_csv(path, sep=r"\s+", header=None, names=COLUMNS, skiprows=3, encoding="gbk")


def valid_rows(frame):
    return frame[(frame["flag"] > 0) & (frame["ab"] >= 0.1) & (frame["rho"] >= 0)]


def decades(values):
    positive = values[values > 0]
    return 10.0 ** math.floor(math.log10(positive.min())), 10.0 ** math.ceil(math.log10(positive.max()))


class Sheet:
    """The layout shared by every station of a file: decades, frame size and paper size."""

    def __init__(self, frame):
        self.rows = valid_rows(frame)
        self.ab = decades(self.rows["ab"])
        self.rho = decades(self.rows["rho"])
        self.width_cm = CM_PER_DECADE * math.log10(self.ab[1] / self.ab[0])
        self.height_cm = CM_PER_DECADE * math.log10(self.rho[1] / self.rho[0])
        # A4 portrait grown to fit the frame with its margins and the title above it.
        self.paper_cm = (max(21.0, self.width_cm + 14.7), max(29.7, self.height_cm + 6.0))
        self.stations = self.rows.groupby("station", sort=False)

    def draw(self, station_rows):
        paper_w, paper_h = self.paper_cm
        fig = plt.figure(figsize=(paper_w * CM, paper_h * CM))
        left = (paper_w - self.width_cm) / 2 / paper_w
        bottom = 1.2 / paper_h
        ax = fig.add_axes([left, bottom, self.width_cm / paper_w, self.height_cm / paper_h])
        ax.loglog(station_rows["ab"], station_rows["rho"], "k-o", markersize=3, linewidth=0.8, label="Res")
        ax.set_xlim(*self.ab)
        ax.set_ylim(*self.rho)
        ax.xaxis.tick_top()
        ax.grid(which="major", linestyle="-", linewidth=0.6, color="k")
        ax.grid(which="minor", linestyle=":", linewidth=0.5, color="k")
        right = ax.twinx()
        right.set_ylim(0, 60)
        right.set_yticks([0, 20, 40, 60])
        ax.legend(loc="upper right", fontsize=7)
        fig.suptitle(TITLE, y=(bottom * paper_h + self.height_cm + 3.5) / paper_h, fontsize=16)
        return fig


def median_ms(repeat, work):
    times = []
    for _ in range(repeat):
        start = time.perf_counter()
        work()
        times.append((time.perf_counter() - start) * 1000)
    return statistics.median(times)
