#!/usr/bin/python3
"""Writes the raster charts the axis finder is measured on, and their truth.

Run as ./make_axes_charts.py with Debian's python3-matplotlib; the charts
and axes.truth are kept beside it, so the tests need neither. Each line of
axes.truth names a chart and gives its exact map, from an axis's t (the
value, or its log10 on a log axis) to image pixels with whole pixel centres:
  NAME logx logy m0 m1 m2 m3 m4 m5 t0x t1x t0y t1y
px = m0 + m1 tx + m2 ty, py = m3 + m4 tx + m5 ty, over the area's t ranges.
"""
import io
import os

import matplotlib

matplotlib.use("agg")
import matplotlib.pyplot as plt
import matplotlib.dates
import matplotlib.ticker
import numpy as np
from PIL import Image

STYLES = ["default", "classic", "ggplot", "seaborn-v0_8-ticks", "bmh", "grayscale"]
# Ranges: linear ones of several signs and sizes, and decades for log axes.
LINEAR = [(0, 10), (-5, 5), (-1, 1), (0, 1e5), (0, 0.05), (-300, 2200), (0, 5000), (1990, 2020), (-2e-3, 6e-3)]
SUPER = 4
LOG = [(1e-3, 1e3), (1, 1e4), (1e-2, 10), (10, 1e6)]


def scan(a, degrees, rng):
    """The picture turned about its centre (bilinear, whole pixel centres),
    with noise as a scanner adds; and the turn as a matrix and centre."""
    h, w = a.shape[:2]
    c = np.array([(w - 1) / 2, (h - 1) / 2])
    r = np.radians(degrees)
    rot = np.array([[np.cos(r), -np.sin(r)], [np.sin(r), np.cos(r)]])
    yy, xx = np.mgrid[0:h, 0:w].astype(float)
    # Where each output pixel comes from: the inverse turn.
    sx = rot[0, 0] * (xx - c[0]) + rot[1, 0] * (yy - c[1]) + c[0]
    sy = rot[0, 1] * (xx - c[0]) + rot[1, 1] * (yy - c[1]) + c[1]
    x0, y0 = np.floor(sx).astype(int), np.floor(sy).astype(int)
    fx, fy = (sx - x0)[..., None], (sy - y0)[..., None]
    pad = np.pad(a.astype(float), ((1, 2), (1, 2), (0, 0)), constant_values=255)
    at = lambda y, x: pad[np.clip(y, -1, h) + 1, np.clip(x, -1, w) + 1]
    out = (at(y0, x0) * (1 - fx) * (1 - fy) + at(y0, x0 + 1) * fx * (1 - fy) +
           at(y0 + 1, x0) * (1 - fx) * fy + at(y0 + 1, x0 + 1) * fx * fy)
    out += rng.normal(0, 5, out.shape[:2])[..., None]
    return np.clip(out, 0, 255).astype(np.uint8), rot, c


def chart(i, rng):
    style = STYLES[i % len(STYLES)]
    dated = i >= 64
    logx, logy = i % 7 == 3 and not dated, i % 5 == 2
    dpi = [96, 120, 150, 200, 300][i % 5]
    font = 8 + (i * 3) % 7
    turned = i % 4 == 1
    jpeg = i % 3 == 0 or turned
    with plt.style.context(style):
        plt.rcParams["path.snap"] = False
        plt.rcParams["font.size"] = font
        width = min(7.5, 1900 / dpi)
        # Drawn at four times the resolution and averaged down: the renderer
        # puts tick marks on whole pixels, a quarter of a pixel then.
        fig = plt.figure(figsize=(width, width * 0.72), dpi=dpi * SUPER)
        ax = fig.add_subplot()
        xr = LOG[i % len(LOG)] if logx else LINEAR[i % len(LINEAR)]
        if dated:
            # Days since 1970, as the plotting program keeps dates: months
            # or days apart.
            start = 18262 + 40 * (i - 64)
            xr = (start, start + [150, 20, 240, 12][i % 4])
        yr = LOG[(i + 1) % len(LOG)] if logy else LINEAR[(i * 5 + 2) % len(LINEAR)]
        u = np.linspace(0, 1, 200)
        tx = np.log10(xr) if logx else xr
        ty = np.log10(yr) if logy else yr
        x = tx[0] + (tx[1] - tx[0]) * u
        y = ty[0] + (ty[1] - ty[0]) * (0.5 + 0.4 * np.sin(6 * u + i))
        xs = 10 ** x if logx else x
        if dated:
            xs = [np.datetime64("1970-01-01") + np.timedelta64(int(round(d * 86400)), "s") for d in x]
        ax.plot(xs, 10 ** y if logy else y, lw=1.5, label="measured")
        if i % 2 and not dated:
            ax.plot(10 ** x if logx else x, 10 ** (y * 0.9) if logy else y * 0.9 + 0.05 * (ty[1] - ty[0]),
                    lw=1, ls="--", label="model")
            ax.legend(loc="upper right")
        if logx:
            ax.set_xscale("log")
        if logy:
            ax.set_yscale("log")
        ax.set_xlim(*[np.datetime64("1970-01-01") + np.timedelta64(int(d), "D") for d in xr] if dated else xr)
        ax.set_ylim(*yr)
        if i % 6 == 4:
            ax.grid(True)
        if i % 8 == 5:
            ax.spines["top"].set_visible(False)
            ax.spines["right"].set_visible(False)
        if dated:
            # Few enough ISO dates to stand level side by side.
            locator = matplotlib.dates.AutoDateLocator(minticks=3, maxticks=5)
            ax.xaxis.set_major_locator(locator)
            ax.xaxis.set_major_formatter(matplotlib.dates.AutoDateFormatter(locator))
        if xr == (0, 5000) and not logx:
            ax.xaxis.set_major_formatter(matplotlib.ticker.StrMethodFormatter("{x:,.0f}"))
        ax.set_xlabel("time (s)")
        ax.set_ylabel("signal")
        if i % 3 == 1:
            ax.set_title(f"Run {i}")
        fig.canvas.draw()
        trans = ax.transData
        # Display to picture pixels: y down, pixel centres whole.
        _, height = fig.canvas.get_width_height()
        height /= SUPER
        o = trans.transform([(10 ** tx[0] if logx else tx[0], 10 ** ty[0] if logy else ty[0])])[0]
        e = trans.transform([(10 ** tx[1] if logx else tx[1], 10 ** ty[0] if logy else ty[0]),
                             (10 ** tx[0] if logx else tx[0], 10 ** ty[1] if logy else ty[1])])
        o, e = o / SUPER, e / SUPER
        if dated:
            # The program's dates are seconds since 1970.
            tx = np.asarray(tx, dtype=float) * 86400
        m1 = (e[0][0] - o[0]) / (tx[1] - tx[0])
        m5 = -(e[1][1] - o[1]) / (ty[1] - ty[0])
        m = np.array([o[0] - 0.5 - m1 * tx[0], m1, 0.0, height - o[1] - 0.5 - m5 * ty[0], 0.0, m5])
        big = np.asarray(fig.canvas.buffer_rgba())[..., :3].astype(float)
        h, w = big.shape[0] // SUPER, big.shape[1] // SUPER
        big = big[:h * SUPER, :w * SUPER].reshape(h, SUPER, w, SUPER, 3)
        rgba = np.rint(big.mean(axis=(1, 3))).astype(np.uint8)
        plt.close(fig)
    if turned:
        degrees = [1.0, -1.5, 2.2, -3.0, 2.7][(i // 4) % 5]
        rgba, rot, c = scan(rgba, degrees, rng)
        # p' = c + rot (p - c) applied to the map's rows.
        lin = rot @ np.array([[m[1], m[2]], [m[4], m[5]]])
        off = c + rot @ (np.array([m[0], m[3]]) - c)
        m = np.array([off[0], lin[0, 0], lin[0, 1], off[1], lin[1, 0], lin[1, 1]])
    name = f"chart{i:02d}." + ("jpg" if jpeg else "png")
    image = Image.fromarray(rgba)
    image.save(name, quality=88) if jpeg else image.save(name, optimize=True)
    return f"{name} {int(logx)} {int(logy)} " + " ".join(repr(float(v)) for v in m) + \
        " " + " ".join(repr(float(v)) for v in (*tx, *ty))


if __name__ == "__main__":
    os.chdir(os.path.dirname(os.path.abspath(__file__)))
    rng = np.random.default_rng(7)
    lines = [chart(i, rng) for i in range(68)]
    with open("axes.truth", "w") as f:
        f.write("\n".join(lines) + "\n")
