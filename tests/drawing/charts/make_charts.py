#!/usr/bin/python3
"""Writes the drawings the drawing tests read, and each one's truth.

Run as SOURCE_DATE_EPOCH=0 ./make_charts.py with Debian's python3-matplotlib,
python3-cairo and gnuplot-nox;
the files it writes are kept beside it, so the tests need neither. Each
truth file (NAME.truth) gives, per chart on the page, the axes' box in
points from the page's bottom left, its data limits, and the data of its
blue curve and red markers; the tests place them at any resolution.
"""
import os
import subprocess

import matplotlib

matplotlib.use("pdf")
import matplotlib.ticker
import matplotlib.pyplot as plt
import numpy as np
from matplotlib.backends.backend_pdf import PdfPages

BLUE, RED = "#1f77b4", "#d62728"
# Every vertex kept, so that the file holds exactly the data.
matplotlib.rcParams["path.simplify"] = False
matplotlib.rcParams["svg.hashsalt"] = "quillon"
matplotlib.rcParams["pdf.compression"] = 0


def curve(k):
    x = np.linspace(-2.5, 7.5, 37)
    return x, np.sin(x * (0.7 + 0.1 * k)) * 2.5 + 0.25 * x - 0.5 * k


def markers(k):
    x = np.arange(0.0, 7.0, 0.75)
    return x, (x / 3) ** 1.5 - 1.5 + 0.5 * k


def chart(ax, k, log=False):
    x, y = curve(k)
    ax.plot(x, y, color=BLUE, lw=1.25)
    mx, my = markers(k)
    ax.plot(mx, my, "o", color=RED, ms=4)
    ax.set_xlim(-3, 8)
    ax.set_ylim(-5, 5)
    return {"curve": list(zip(x, y)), "markers": list(zip(mx, my))}


def truth(fig, axes, pages):
    w, h = fig.get_size_inches() * 72
    lines = [f"page {w!r} {h!r}"]
    for ax, data in axes:
        box = ax.get_position().transformed(fig.transFigure).get_points() * 72 / fig.dpi
        (x0, y0), (x1, y1) = box
        xl, yl = ax.get_xlim(), ax.get_ylim()
        lines.append(f"chart {x0!r} {y0!r} {x1!r} {y1!r} {xl[0]!r} {xl[1]!r} {yl[0]!r} {yl[1]!r}")
        for kind in ("curve", "markers"):
            lines.append(kind + " " + " ".join(f"{a!r},{b!r}" for a, b in data[kind]))
    lines.append(f"pages {pages}")
    return "\n".join(lines) + "\n"


# No dates or producer names: the files are the same on every run.
METADATA = {"pdf": {"Creator": None, "Producer": None, "CreationDate": None}, "svg": {"Date": None},
            "eps": {"Creator": None}}


def save(fig, name, fmt):
    fig.savefig(f"{name}.{fmt}", metadata=METADATA[fmt])


def one(name, formats):
    fig, ax = plt.subplots(figsize=(4, 3), dpi=72)
    data = chart(ax, 0)
    for fmt in formats:
        save(fig, name, fmt)
    open(f"{name}.truth", "w").write(truth(fig, [(ax, data)], 1))
    plt.close(fig)


# A chart as PDF (text as text), SVG (text as outlines) and EPS.
one("chart", ["pdf", "svg", "eps"])

# Two charts on one page, the same colours in each: the click chooses.
fig, axes = plt.subplots(1, 2, figsize=(7, 3), dpi=72)
pairs = [(ax, chart(ax, k)) for k, ax in enumerate(axes)]
save(fig, "two-charts", "pdf")
open("two-charts.truth", "w").write(truth(fig, pairs, 1))
plt.close(fig)

# Three pages; the chart is on the second.
with PdfPages("pages.pdf", metadata=METADATA["pdf"]) as pdf:
    for page in range(3):
        fig, ax = plt.subplots(figsize=(4, 3), dpi=72)
        if page == 1:
            data = chart(ax, 2)
            open("pages.truth", "w").write(truth(fig, [(ax, data)], 3))
        else:
            ax.text(0.5, 0.5, f"page {page + 1}", ha="center")
        pdf.savefig(fig)
        plt.close(fig)


# Charts whose axes are read from their ticks and labels, in several
# styles; NAME.axes gives the axes' box in points from the page's bottom
# left, their limits and whether each is log10.
def axes_chart(name, draw, style="default", fmt="pdf"):
    with plt.style.context(style):
        fig, ax = plt.subplots(figsize=(4, 3), dpi=72)
        draw(ax)
        save(fig, name, fmt)
        w, h = fig.get_size_inches() * 72
        (x0, y0), (x1, y1) = ax.get_position().transformed(fig.transFigure).get_points() * 72 / fig.dpi
        xl, yl = ax.get_xlim(), ax.get_ylim()
        logs = [int(ax.get_xscale() == "log"), int(ax.get_yscale() == "log")]
        open(f"{name}.axes", "w").write(
            f"{w!r} {h!r} {x0!r} {y0!r} {x1!r} {y1!r} {xl[0]!r} {xl[1]!r} {yl[0]!r} {yl[1]!r} {logs[0]} {logs[1]}\n")
        plt.close(fig)


def loglog(ax):
    x = np.logspace(-2, 3, 30)
    ax.loglog(x, x ** 1.5, color=BLUE)


def millions(ax):
    x = np.linspace(0, 5e-3, 30)
    ax.plot(x, 3e6 * np.sin(x * 1000), color=BLUE)


def thousands(ax):
    x = np.linspace(0, 10, 30)
    ax.plot(x, 2000 * x - 4000, color=BLUE)
    ax.yaxis.set_major_formatter(matplotlib.ticker.StrMethodFormatter("{x:,.0f}"))


def hyphens(ax):
    x = np.linspace(-4, 4, 30)
    ax.plot(x, np.tanh(x) * 2.5, color=BLUE)
    ax.xaxis.set_major_formatter(matplotlib.ticker.FormatStrFormatter("%.1f"))
    ax.yaxis.set_major_formatter(matplotlib.ticker.FormatStrFormatter("%.2f"))


def semilog(ax):
    x = np.linspace(0, 50, 30)
    ax.semilogy(x, np.exp(x / 5), color=BLUE)
    ax.grid(True)


def open_axes(ax):
    x = np.linspace(0, 100, 30)
    ax.plot(x, np.sqrt(x) * 12, color=BLUE)
    ax.spines[["top", "right"]].set_visible(False)


axes_chart("axes-loglog", loglog)
axes_chart("axes-millions", millions)
axes_chart("axes-thousands", thousands, "ggplot")
axes_chart("axes-hyphens", hyphens, "classic")
axes_chart("axes-semilog", semilog, "bmh")
axes_chart("axes-open", open_axes, "seaborn-v0_8-ticks")
axes_chart("axes-outlines", semilog, fmt="svg")

# The same chart through matplotlib's cairo backend, and through gnuplot's
# cairo PDF terminal with its plotting area placed exactly.
fig, ax = plt.subplots(figsize=(4, 3), dpi=72)
chart(ax, 0)
fig.savefig("cairo.pdf", backend="cairo")
plt.close(fig)

GNUPLOT_BOX = (0.15 * 288, 0.15 * 216, 0.9 * 288, 0.9 * 216)
cx, cy = curve(0)
mx, my = markers(0)
with open("gnuplot.dat", "w") as data:
    data.write("\n".join(f"{a!r} {b!r}" for a, b in zip(cx, cy)) + "\n\n\n")
    data.write("\n".join(f"{a!r} {b!r}" for a, b in zip(mx, my)) + "\n")
subprocess.run(["gnuplot", "-e", f"""
set terminal pdfcairo size 4in,3in font 'DejaVu Sans,8';
set output 'gnuplot.pdf';
set lmargin at screen 0.15; set rmargin at screen 0.9;
set bmargin at screen 0.15; set tmargin at screen 0.9;
set xrange [-3:8]; set yrange [-5:5]; unset key;
plot 'gnuplot.dat' index 0 with lines lw 1.5 lc rgb '{BLUE}',
     'gnuplot.dat' index 1 with points pt 7 ps 0.6 lc rgb '{RED}'
"""], check=True)
os.remove("gnuplot.dat")
x0, y0, x1, y1 = GNUPLOT_BOX
open("gnuplot.truth", "w").write(
    f"page 288.0 216.0\nchart {x0!r} {y0!r} {x1!r} {y1!r} -3.0 8.0 -5.0 5.0\n"
    "curve " + " ".join(f"{a!r},{b!r}" for a, b in zip(cx, cy)) + "\n"
    "markers " + " ".join(f"{a!r},{b!r}" for a, b in zip(mx, my)) + "\npages 1\n")
open("gnuplot.axes", "w").write(f"288.0 216.0 {x0!r} {y0!r} {x1!r} {y1!r} -3.0 8.0 -5.0 5.0 0 0\n")
