#!/usr/bin/env python3
"""Writes the calibration cases the point fit is checked against.

Each chart is modelled directly: an origin pixel, an X axis along the picture
rows and a Y axis leaning by the shear angle, so that a data point's pixel is
origin + (x - x0) * ex + (y - y0) * ey. Calibration points are ticks read off
that chart; probes are data points whose pixels the model gives. The least
squares case is solved here from its normal equations in exact fractions.
Run it from this folder: python3 truth.py
"""
import math
from datetime import datetime, timezone
from fractions import Fraction


def iso(seconds, form):
    return datetime.fromtimestamp(seconds, timezone.utc).strftime(form)


def chart(shear_deg, x_span_px, y_span_px, xs, ys, logx=False):
    """Pixel of data (x, y) on a chart whose X runs xs[0]..xs[1] over
    x_span_px and Y ys[0]..ys[1] over y_span_px, the Y axis leaning."""
    ox, oy = 120.0, 620.0
    a = math.radians(shear_deg)
    tx = (lambda v: math.log10(v)) if logx else (lambda v: v)

    def pixel(x, y):
        fx = (tx(x) - tx(xs[0])) / (tx(xs[1]) - tx(xs[0]))
        fy = (y - ys[0]) / (ys[1] - ys[0])
        return (ox + fx * x_span_px + fy * y_span_px * math.sin(a), oy - fy * y_span_px * math.cos(a))
    return pixel


def write(name, directives, points, probes, residuals=(), rms=None):
    with open(name + ".csv", "w") as f:
        f.write("# written by truth.py; probe and residual lines are the truth\n")
        for d in directives:
            f.write("#" + d + "\n")
        f.write("px,py,x,y\n")
        for (px, py), x, y in points:
            f.write("%.17g,%.17g,%s,%s\n" % (px, py, x, y))
        for (px, py), x, y in probes:
            f.write("# probe %.17g,%.17g,%.17g,%.17g\n" % (px, py, x, y))
        for n, r in residuals:
            f.write("# residual %d,%.17g\n" % (n, r))
        if rms:
            f.write("# rms %.17g,%.17g\n" % tuple(rms))


def sheared(name, shear, xs, ys, logx=False, xtext=str, xticks=None, probes_x=None):
    pixel = chart(shear, 800, 500, xs, ys, logx)
    x1, x2 = xticks or (xs[0] + (xs[1] - xs[0]) / 5, xs[1] - (xs[1] - xs[0]) / 10)
    y1, y2 = ys[0] + (ys[1] - ys[0]) / 4, ys[1]
    points = [(pixel(x1, ys[0]), xtext(x1), ""), (pixel(x2, ys[0]), xtext(x2), ""),
              (pixel(xs[0], y1), "", repr(y1)), (pixel(xs[0], y2), "", repr(y2))]
    probe = [(pixel(x, y), x, y) for x in probes_x for y in (ys[0], (ys[0] + ys[1]) / 3, ys[1] * 1.2)]
    write(name, ["log-x"] if logx else [], points, probe)


sheared("shear5", 5, (0.0, 10.0), (0.0, 1.0), probes_x=(0.0, 3.3, 10.0, 12.5))
sheared("shear20", 20, (-50.0, 50.0), (100.0, 300.0), probes_x=(-50.0, 0.0, 37.5))
sheared("logx_shear10", 10, (1.0, 1000.0), (0.0, 5.0), logx=True, xticks=(10.0, 100.0),
        probes_x=(1.0, 3.0, 500.0, 2000.0))
day = datetime(2026, 12, 8, tzinfo=timezone.utc).timestamp()
sheared("dates_1day", 3, (day, day + 86400), (0.0, 40.0),
        xtext=lambda s: iso(s, "%Y-%m-%dT%H:%M"), xticks=(day + 6 * 3600, day + 18 * 3600),
        probes_x=(day, day + 9 * 3600 + 30 * 60, day + 86400))
y1970, y2020 = 0.0, datetime(2020, 1, 1, tzinfo=timezone.utc).timestamp()
y1980, y2010 = (datetime(y, 1, 1, tzinfo=timezone.utc).timestamp() for y in (1980, 2010))
sheared("dates_50years", 0, (y1970, y2020), (0.0, 1.0),
        xtext=lambda s: iso(s, "%Y-%m-%d"), xticks=(y1980, y2010),
        probes_x=(y1970, datetime(1995, 6, 15, tzinfo=timezone.utc).timestamp(), y2020))

# Four corners with both values, the last read 3 pixels to the right: the
# map is the least squares one, solved here in fractions.
pixel = chart(0, 800, 500, (0.0, 10.0), (0.0, 1.0))
corners = [(0.0, 0.0), (10.0, 0.0), (10.0, 1.0), (0.0, 1.0)]
clicked = [pixel(x, y) for x, y in corners]
clicked[2] = (clicked[2][0] + 3, clicked[2][1])


def plane(values):
    rows = [(Fraction(px), Fraction(py), Fraction(1)) for px, py in clicked]
    m = [[sum(r[i] * r[j] for r in rows) for j in range(3)] for i in range(3)]
    b = [sum(r[i] * Fraction(v) for r, v in zip(rows, values)) for i in range(3)]
    for c in range(3):  # Gauss-Jordan
        p = next(r for r in range(c, 3) if m[r][c] != 0)
        m[c], m[p], b[c], b[p] = m[p], m[c], b[p], b[c]
        for r in range(3):
            if r != c:
                f = m[r][c] / m[c][c]
                m[r] = [m[r][k] - f * m[c][k] for k in range(3)]
                b[r] -= f * b[c]
    return [b[i] / m[i][i] for i in range(3)]


ax, bx, cx = plane([x for x, _ in corners])
ay, by, cy = plane([y for _, y in corners])
residuals = []
for n, ((x, y), (px, py)) in enumerate(zip(corners, clicked), 1):
    # Where the fitted map puts (x, y): solve the 2 x 2 system exactly.
    det = ax * by - bx * ay
    rx, ry = Fraction(x) - cx, Fraction(y) - cy
    qx, qy = (rx * by - bx * ry) / det, (ax * ry - rx * ay) / det
    residuals.append((n, math.hypot(float(qx) - px, float(qy) - py)))
probe = []
for px, py in ((300.5, 250.25), (920.0, 40.0)):
    probe.append(((px, py), float(ax * Fraction(px) + bx * Fraction(py) + cx),
                  float(ay * Fraction(px) + by * Fraction(py) + cy)))
rms = [math.sqrt(sum(float(Fraction(v[i]) - (a * Fraction(px) + b * Fraction(py) + c)) ** 2
                     for v, (px, py) in zip(corners, clicked)) / 4)
       for i, (a, b, c) in enumerate(((ax, bx, cx), (ay, by, cy)))]
write("least_squares_off3px", [], [(p, repr(x), repr(y)) for p, (x, y) in zip(clicked, corners)], probe, residuals,
      rms)

# Polar charts. Log r, compass-like: theta in degrees clockwise from the top,
# r = 0.1 at the centre and ten times as much every 100 px.
cx, cy = 400.0, 300.0


def compass(theta, r):
    d = (math.log10(r) + 1) * 100
    return (cx + d * math.sin(math.radians(theta)), cy - d * math.cos(math.radians(theta)))


write("polar_log_r", ["polar", "log-y", "clockwise"],
      [((cx, cy), "", "0.1"), (compass(200, 10), "", "10"), (compass(90, 3), "90", "")],
      [(compass(t, r), t, r) for t, r in ((0.0, 1.0), (45.0, 0.5), (135.0, 20.0), (300.0, 0.2))])


# Linear r from 0 at the centre, 50 px to a unit; theta in radians,
# anticlockwise from the right.
def ccw(theta, r):
    return (cx + 50 * r * math.cos(theta), cy - 50 * r * math.sin(theta))


write("polar_radians", ["polar", "radians"],
      [((cx, cy), "", ""), (ccw(1.0, 4), "1.0", "4")],
      [(ccw(t, r), t, r) for t, r in ((0.0, 1.0), (2.5, 3.0), (5.0, 0.5))])
