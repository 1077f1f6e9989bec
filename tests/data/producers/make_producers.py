#!/usr/bin/python3
"""Draws the charts of other plotting programs that the legend, marker and
frame tests read, with their truth.

Run as ./make_producers.py [PRODUCER...] with Debian's r-base-core,
r-cran-ggplot2, gnuplot-nox, grace, plotutils, ghostscript, texlive-pictures,
texlive-latex-recommended, libreoffice-calc, python3-uno and python3-fitz; what it writes is kept beside it, so the
tests need none of them.

Each chart is drawn twice by its producer: as it is (NAME.pdf, or NAME.eps
for a producer of PostScript, and NAME.png made from it at 200 dpi) and with a small + of a reference colour on every
data point and a rectangle of another round the plotting area, which leave
the chart's layout as it is. The reference drawing gives the truth
(NAME.truth): the plotting area and each series' points in pixels of the
picture, and the same in points from the page's top left for the drawing.
"""
import json
import os
import re
import shlex
import subprocess
import sys
import tempfile

import fitz

HERE = os.path.dirname(os.path.abspath(__file__))
DPI = 200
AREA_REF = "#00FE02"


def ref_colour(k):
    return "#00FF%02X" % (2 * k + 1)


def data(k, n=11, low=1.0):
    """Deterministic points of series k, kept in the chart's lower part so
    that a legend in the top corner never covers one."""
    xs = [1 + i * 0.9 + 0.13 * k for i in range(n)]
    ys = [low + 1.5 * k + 1.2 * ((i * 7 + 3 * k) % 5) / 4 + 0.4 * ((i * i) % 3) for i in range(n)]
    return xs, ys


def curve(k, n=60):
    xs = [1 + 9.8 * i / (n - 1) for i in range(n)]
    ys = [2.5 + 1.2 * k + 1.6 * __import__("math").sin(0.7 * x + k) for x in xs]
    return xs, ys


# Shapes by name, in each producer's numbering.
R_PCH = {"filled circle": 16, "filled triangle": 17, "open triangle": 2, "plus": 3, "cross": 4, "star": 8,
         "open circle": 1, "open square": 0, "filled square": 15, "filled diamond": 18, "open down triangle": 6}
GNUPLOT_PT = {"plus": 1, "cross": 2, "star": 3, "open square": 4, "filled square": 5, "open circle": 6,
              "filled circle": 7, "open triangle": 8, "filled triangle": 9, "open down triangle": 10,
              "filled diamond": 13}

# The charts: markers (shape, colour, legend name) or curves (colour, dash),
# and where the legend goes.
CHARTS = [
    ("triangles", "markers", [("filled triangle", "#D62728", "growth"), ("filled circle", "#1F77B4", "decay")],
     "inside"),
    ("open-markers", "markers", [("open triangle", "#D62728", "alpha"), ("plus", "#1F77B4", "beta"),
                                 ("cross", "#2CA02C", "gamma")], "inside"),
    ("stars-squares", "markers", [("star", "#9467BD", "stars"), ("open square", "#FF7F0E", "boxes"),
                                  ("open circle", "#8C564B", "rings")], "inside"),
    ("solid-markers", "markers", [("filled square", "#D62728", "first"), ("filled diamond", "#1F77B4", "second"),
                                  ("open down triangle", "#2CA02C", "third")], "outside"),
    ("black-curves", "curves", [("#000000", "dashed", "measured"), ("#7F7F7F", "solid", "model")], "inside"),
]


def r_script(name, kind, series, legend, pdf, reference):
    lines = [f'cairo_pdf("{pdf}", width=5, height=3.75, pointsize=10)']
    if legend == "outside":
        lines.append("par(mar=c(4, 4, 1, 7), xpd=FALSE)")
    lines.append("plot(NA, xlim=c(0.5, 11.5), ylim=c(0, 10), xlab='x', ylab='y')")
    for k, s in enumerate(series):
        xs, ys = (data if kind == "markers" else curve)(k)
        xv, yv = "c(%s)" % ",".join(map(repr, xs)), "c(%s)" % ",".join(map(repr, ys))
        if kind == "markers":
            lines.append(f'points({xv}, {yv}, pch={R_PCH[s[0]]}, col="{s[1]}", cex=1.3)')
        else:
            lines.append(f'lines({xv}, {yv}, lty={2 if s[1] == "dashed" else 1}, col="{s[0]}", lwd=1.5)')
        if reference:
            lines.append(f'points({xv}, {yv}, pch=3, col="{ref_colour(k)}", cex=0.3)')
            if kind == "curves":
                lines.append(f'lines({xv}, {yv}, col="{ref_colour(k)}", lwd=0.1)')
    names = "c(%s)" % ",".join('"%s"' % s[2] for s in series)
    cols = "c(%s)" % ",".join('"%s"' % s[1 if kind == "markers" else 0] for s in series)
    where = '"topleft"' if legend == "inside" else 'x=par("usr")[2], y=par("usr")[4], xpd=TRUE'
    if kind == "markers":
        pchs = "c(%s)" % ",".join(str(R_PCH[s[0]]) for s in series)
        lines.append(f"legend({where}, legend={names}, pch={pchs}, col={cols}, pt.cex=1.3)")
    else:
        ltys = "c(%s)" % ",".join("2" if s[1] == "dashed" else "1" for s in series)
        lines.append(f"legend({where}, legend={names}, lty={ltys}, col={cols}, lwd=1.5)")
    if reference:
        lines.append(f'u <- par("usr"); rect(u[1], u[3], u[2], u[4], border="{AREA_REF}", lwd=0.1)')
    lines.append("invisible(dev.off())")
    return "Rscript", "\n".join(lines)


def ggplot_script(name, kind, series, legend, pdf, reference):
    rows = []
    for k, s in enumerate(series):
        xs, ys = (data if kind == "markers" else curve)(k)
        rows += [(x, y, s[2], k) for x, y in zip(xs, ys)]
    frame = "data.frame(x=c(%s), y=c(%s), s=factor(c(%s), levels=c(%s)), k=c(%s))" % (
        ",".join(repr(r[0]) for r in rows), ",".join(repr(r[1]) for r in rows),
        ",".join('"%s"' % r[2] for r in rows), ",".join('"%s"' % s[2] for s in series),
        ",".join(str(r[3]) for r in rows))
    lines = ["suppressMessages(library(ggplot2))", f"d <- {frame}", "p <- ggplot(d, aes(x, y, colour=s))"]
    values = ",".join('"%s"="%s"' % (s[2], s[1 if kind == "markers" else 0]) for s in series)
    if kind == "markers":
        shapes = ",".join('"%s"=%d' % (s[2], R_PCH[s[0]]) for s in series)
        lines.append("p <- p + geom_point(aes(shape=s), size=2.5)")
        lines.append(f"p <- p + scale_shape_manual(values=c({shapes}))")
    else:
        types = ",".join('"%s"="%s"' % (s[2], s[1]) for s in series)
        lines.append("p <- p + geom_line(aes(linetype=s), linewidth=0.7)")
        lines.append(f"p <- p + scale_linetype_manual(values=c({types}))")
    lines.append(f"p <- p + scale_colour_manual(values=c({values}))")
    lines.append("p <- p + coord_cartesian(xlim=c(0.5, 11.5), ylim=c(0, 10), expand=FALSE)")
    if legend == "inside":
        lines.append('p <- p + theme(legend.position=c(0.02, 0.98), legend.justification=c(0, 1))')
    if reference:
        for k in range(len(series)):
            lines.append(f'p <- p + geom_point(data=d[d$k=={k},], aes(x, y), inherit.aes=FALSE, shape=3, '
                         f'size=0.5, colour="{ref_colour(k)}")')
            if kind == "curves":
                lines.append(f'p <- p + geom_line(data=d[d$k=={k},], aes(x, y), inherit.aes=FALSE, '
                             f'linewidth=0.05, colour="{ref_colour(k)}")')
        lines.append(f'p <- p + annotate("rect", xmin=0.5, xmax=11.5, ymin=0, ymax=10, fill=NA, '
                     f'colour="{AREA_REF}", linewidth=0.05)')
    lines.append(f'ggsave("{pdf}", p, width=5, height=3.75, device=cairo_pdf)')
    return "Rscript", "\n".join(lines)


def gnuplot_script(name, kind, series, legend, pdf, reference):
    lines = [f"set terminal pdfcairo size 5in,3.75in font 'Sans,9'", f"set output '{pdf}'",
             "set xrange [0.5:11.5]", "set yrange [0:10]"]
    lines.append("set key top left box" if legend == "inside" else "set key outside right top")
    plots = []
    for k, s in enumerate(series):
        xs, ys = (data if kind == "markers" else curve)(k)
        lines.append(f"$d{k} << EOD")
        lines += [f"{x!r} {y!r}" for x, y in zip(xs, ys)]
        lines.append("EOD")
        if kind == "markers":
            plots.append(f'$d{k} with points pt {GNUPLOT_PT[s[0]]} ps 1.2 lc rgb "{s[1]}" title "{s[2]}"')
        else:
            plots.append(f'$d{k} with lines dt {2 if s[1] == "dashed" else 1} lw 1.5 lc rgb "{s[0]}" '
                         f'title "{s[2]}"')
    if reference:
        for k in range(len(series)):
            plots.append(f'$d{k} with points pt 1 ps 0.2 lc rgb "{ref_colour(k)}" notitle')
            if kind == "curves":
                plots.append(f'$d{k} with lines lw 0.1 lc rgb "{ref_colour(k)}" notitle')
        lines.append(f'set object 1 rect from graph 0,0 to graph 1,1 front fs empty border rgb "{AREA_REF}" lw 0.1')
    lines.append("plot " + ", ".join(plots))
    return "gnuplot", "\n".join(lines)


GRACE_SYMBOL = {"filled circle": (1, 1), "open square": (2, 0), "filled square": (2, 1), "filled diamond": (3, 1),
                "filled triangle": (4, 1), "open triangle": (4, 0), "open down triangle": (6, 0), "plus": (8, 0),
                "cross": (9, 0), "star": (10, 0), "open circle": (1, 0)}


def grace_script(name, kind, series, legend, eps, reference):
    colours = {}

    def colour(hex_):
        if hex_ not in colours:
            colours[hex_] = 16 + len(colours)
        return colours[hex_]

    body = ["WORLD 0.5, 0, 11.5, 10", "XAXIS TICK MAJOR 2", "YAXIS TICK MAJOR 2"]
    if legend == "outside":
        body.append("VIEW 0.15, 0.15, 1.0, 0.85")
    n = 0
    for k, s in enumerate(series):
        xs, ys = (data if kind == "markers" else curve)(k)
        body.append(f"s{n} LEGEND \"{s[2]}\"")
        if kind == "markers":
            symbol, fill = GRACE_SYMBOL[s[0]]
            c = colour(s[1])
            body += [f"s{n} SYMBOL {symbol}", f"s{n} SYMBOL SIZE 0.9", f"s{n} SYMBOL COLOR {c}",
                     f"s{n} SYMBOL FILL PATTERN {fill}", f"s{n} SYMBOL FILL COLOR {c}", f"s{n} LINE TYPE 0"]
        else:
            c = colour(s[0])
            body += [f"s{n} SYMBOL 0", f"s{n} LINE TYPE 1", f"s{n} LINESTYLE {3 if s[1] == 'dashed' else 1}",
                     f"s{n} LINE COLOR {c}", f"s{n} LINEWIDTH 1.5"]
        body += [f"s{n} POINT {x!r}, {y!r}" for x, y in zip(xs, ys)]
        n += 1
        if reference:
            r = colour(ref_colour(k))
            body += [f"s{n} SYMBOL 8", f"s{n} SYMBOL SIZE 0.2", f"s{n} SYMBOL COLOR {r}", f"s{n} SYMBOL LINEWIDTH 0.1",
                     f"s{n} LINE TYPE {1 if kind == 'curves' else 0}", f"s{n} LINE COLOR {r}",
                     f"s{n} LINEWIDTH 0.1", f"s{n} LEGEND \"\""]
            body += [f"s{n} POINT {x!r}, {y!r}" for x, y in zip(xs, ys)]
            n += 1
    if reference:
        a = colour(AREA_REF)
        body += [f"s{n} SYMBOL 0", f"s{n} LINE TYPE 1", f"s{n} LINE COLOR {a}", f"s{n} LINEWIDTH 0.1",
                 f"s{n} LEGEND \"\""]
        body += [f"s{n} POINT {x}, {y}" for x, y in ((0.5, 0), (11.5, 0), (11.5, 10), (0.5, 10), (0.5, 0))]
    body += ["LEGEND ON", "LEGEND 0.2, 0.8" if legend == "inside" else "LEGEND 1.02, 0.8", "LEGEND BOX LINESTYLE 1",
             'HARDCOPY DEVICE "EPS"', f'PRINT TO "{eps}"', "PRINT"]
    maps = [f'MAP COLOR {i} TO ({int(h[1:3], 16)}, {int(h[3:5], 16)}, {int(h[5:7], 16)}), "c{i}"'
            for h, i in colours.items()]
    return "gracebat", "\n".join(maps + body)


# GNU plotutils' graph: its symbol numbers and fill fractions; it draws no
# legends.
PLOTUTILS_SYMBOL = {"filled circle": (4, 1), "open square": (6, 0), "filled square": (6, 1), "filled diamond": (8, 1),
                    "filled triangle": (7, 1), "open triangle": (7, 0), "open down triangle": (10, 0), "plus": (2, 0),
                    "cross": (5, 0), "star": (3, 0), "open circle": (4, 0)}


def plotutils_script(name, kind, series, legend, eps, reference):
    pens, args, files = [], [], []

    def pen(hex_):
        pens.append(hex_)
        return len(pens)

    folder = os.path.join(tempfile.gettempdir(), "plotutils-data" + ("-ref" if reference else ""))
    os.makedirs(folder, exist_ok=True)
    for k, s in enumerate(series):
        xs, ys = (data if kind == "markers" else curve)(k)
        path = os.path.join(folder, f"d{k}.txt")
        with open(path, "w") as f:
            f.write("".join(f"{x!r} {y!r}\n" for x, y in zip(xs, ys)))
        if kind == "markers":
            symbol, fill = PLOTUTILS_SYMBOL[s[0]]
            args += ["-m", str(-pen(s[1])), "-S", str(symbol), "0.035", "-q", str(fill if fill else -1), path]
        else:
            args += ["-m", str(pen(s[0])), "-S", "0", "-W", "0.004", "-q", "-1", path]
    # Five pens at most: its reference is the plotting area alone, through
    # which the truth is placed.
    if reference:
        box = os.path.join(folder, "box.txt")
        with open(box, "w") as f:
            f.write("0.5 0\n11.5 0\n11.5 10\n0.5 10\n0.5 0\n")
        args += ["-m", str(pen(AREA_REF)), "-S", "0", "-W", "0.0005", box]
    colours = ":".join(f"{i + 1}={c}" for i, c in enumerate(pens))
    command = ["graph", "-T", "ps", "-C", "-x", "0.5", "11.5", "-y", "0", "10", "--pen-colors", colours] + args
    return "sh", f"{' '.join(shlex.quote(a) for a in command)} > {shlex.quote(eps)}"


PGF_MARK = {"filled circle": "*", "open circle": "o", "filled triangle": "triangle*", "open triangle": "triangle",
            "plus": "+", "cross": "x", "star": "asterisk", "open square": "square", "filled square": "square*",
            "filled diamond": "diamond*", "open down triangle": "triangle, mark options={rotate=180}"}


def latex(body, pdf, preamble=""):
    """A shell script that typesets body with pdfTeX into pdf."""
    stem = os.path.splitext(os.path.basename(pdf))[0] + "-tex"
    text = "\\documentclass{article}\n" + preamble + "\\begin{document}\n" + body + "\n\\end{document}\n"
    return (f"cat > {stem}.tex <<'TEX'\n{text}TEX\n"
            f"pdflatex -interaction=batchmode {stem}.tex > /dev/null && mv {stem}.pdf {shlex.quote(pdf)}")


def pgfplots_script(name, kind, series, legend, pdf, reference):
    colours = {}

    def colour(hex_):
        colours.setdefault(hex_, "c%d" % len(colours))
        return colours[hex_]

    where = "legend pos=north west" if legend == "inside" else "legend pos=outer north east"
    plots = []
    for k, s in enumerate(series):
        xs, ys = (data if kind == "markers" else curve)(k)
        table = " ".join(f"({x!r},{y!r})" for x, y in zip(xs, ys))
        if kind == "markers":
            style = f"only marks, mark={PGF_MARK[s[0]]}, mark size=2.5pt, color={colour(s[1])}"
        else:
            style = f"no marks, {'dashed, ' if s[1] == 'dashed' else ''}line width=1pt, color={colour(s[0])}"
        plots.append(f"\\addplot[{style}] coordinates {{{table}}};\n\\addlegendentry{{{s[2]}}}")
        if reference:
            plots.append(f"\\addplot[only marks, mark=+, mark size=0.4pt, line width=0.05pt, "
                         f"color={colour(ref_colour(k))}, forget plot] coordinates {{{table}}};")
            if kind == "curves":
                plots.append(f"\\addplot[no marks, line width=0.05pt, color={colour(ref_colour(k))}, forget plot] "
                             f"coordinates {{{table}}};")
    if reference:
        plots.append(f"\\draw[color={colour(AREA_REF)}, line width=0.05pt] (rel axis cs:0,0) rectangle "
                     "(rel axis cs:1,1);")
    axis = (f"\\begin{{tikzpicture}}\\begin{{axis}}[width=11cm, height=8cm, xmin=0.5, xmax=11.5, ymin=0, ymax=10, "
            f"xlabel=$x$, ylabel=$y$, {where}]\n" + "\n".join(plots) + "\n\\end{axis}\\end{tikzpicture}")
    preamble = "\\usepackage{pgfplots}\\pgfplotsset{compat=1.18}\n" + "".join(
        f"\\definecolor{{{n}}}{{HTML}}{{{h[1:]}}}\n" for h, n in colours.items())
    body = "\\pagestyle{empty}\n" + axis
    page = "14cm" if legend == "inside" else "16cm"
    return "sh", latex(body, pdf, f"\\usepackage[paperwidth={page},paperheight=10cm,margin=5mm]{{geometry}}\n"
                       + preamble)


def article_script(name, kind, series, legend, pdf, reference):
    """R's chart, as cairo draws it, in a pdfTeX article: the chart comes in
    as a transparency group."""
    chart = os.path.splitext(os.path.basename(pdf))[0] + "-chart.pdf"
    _, r = r_script(name, kind, series, legend, chart, reference)
    words = "The measurements below were taken over eleven days. " * 6
    body = (f"\\section{{Results}}\n{words}\n\\begin{{figure}}[h]\\centering"
            f"\\includegraphics[width=0.8\\linewidth]{{{chart}}}\\caption{{The {name} chart.}}\\end{{figure}}\n"
            f"{words}")
    return "sh", f"Rscript - > /dev/null <<'R'\n{r}\nR\n" + latex(body, pdf, "\\usepackage{graphicx}\n")


# LibreOffice's standard symbols are all filled: an open shape is drawn as
# the filled one.
LIBREOFFICE_SYMBOL = {"filled square": 0, "open square": 0, "filled diamond": 1, "open down triangle": 2,
                      "filled triangle": 3, "open triangle": 3, "filled circle": 8, "open circle": 8, "cross": 10,
                      "plus": 11, "star": 12}


def libreoffice_script(name, kind, series, legend, pdf, reference):
    """A Calc sheet whose x column holds every series' x and each series'
    column its own y, empty at the others'."""
    columns = [(data if kind == "markers" else curve)(k) for k in range(len(series))]
    xs = sorted({x for c in columns for x in c[0]})
    rows = [["x"] + [s[2] for s in series]]
    rows += [[x] + [c[1][c[0].index(x)] if x in c[0] else None for c in columns] for x in xs]
    look = []
    for s in series:
        if kind == "markers":
            look.append({"colour": s[1], "symbol": LIBREOFFICE_SYMBOL[s[0]], "size": 250, "legend": True})
        else:
            look.append({"colour": s[0], "symbol": -3, "size": 0, "width": 50, "dash": s[1] == "dashed",
                         "legend": True})
    if reference:
        rows = [row + row[1:] for row in rows]
        look += [{"colour": ref_colour(k), "symbol": 11, "size": 30, "width": 0, "dash": False, "legend": False}
                 for k in range(len(series))]
    spec = {"rows": rows, "lines": kind == "curves", "series": look, "legend": legend,
            "area": AREA_REF if reference else None}
    spec_file = os.path.join(tempfile.gettempdir(), os.path.basename(pdf) + ".json")
    with open(spec_file, "w") as f:
        json.dump(spec, f)
    return "sh", f"/usr/bin/python3 {shlex.quote(os.path.join(HERE, 'libreoffice_chart.py'))} " \
                 f"{shlex.quote(spec_file)} {shlex.quote(pdf)}"


PRODUCERS = {"r": r_script, "ggplot2": ggplot_script, "gnuplot": gnuplot_script, "grace": grace_script,
             "plotutils": plotutils_script, "pgfplots": pgfplots_script, "article": article_script,
             "libreoffice": libreoffice_script}
# What each writes its drawing as, when not a PDF.
DRAWN_AS = {"grace": ".eps", "plotutils": ".eps"}


# Producers whose truth is placed through the plotting area's corners, and
# those that draw no legend.
PLACED_BY_AREA = {"plotutils"}
WITHOUT_LEGEND = {"plotutils"}


def placed(area, kind, series):
    """Each series' points and line on the page, from the area's corners and
    the charts' limits (0.5 to 11.5 across, 0 to 10 up)."""
    at = lambda x, y: (area.x0 + (x - 0.5) / 11 * area.width, area.y1 - y / 10 * area.height)
    refs, lines = {}, {}
    for k in range(len(series)):
        xs, ys = (data if kind == "markers" else curve)(k)
        refs[ref_colour(k)] = [at(x, y) for x, y in zip(xs, ys)]
        lines[ref_colour(k)] = refs[ref_colour(k)] if kind == "curves" else []
    return refs, lines


def eps_to_pdf(eps, pdf):
    """Ghostscript's PDF of an EPS, its bounding box read from the trailer
    where the header leaves it there."""
    text = open(eps, "rb").read()
    header, _, rest = text.partition(b"%%EndComments")
    place = rest if b"(atend)" in header else header
    box = re.findall(rb"%%BoundingBox:\s*(-?[\d.]+\s+-?[\d.]+\s+-?[\d.]+\s+-?[\d.]+)", place)[-1]
    if b"(atend)" in header:
        header = header.replace(b"%%BoundingBox: (atend)", b"%%BoundingBox: " + box)
        fixed = os.path.join(os.path.dirname(pdf), "boxed.eps")
        open(fixed, "wb").write(header + b"%%EndComments" + rest)
        eps = fixed
    subprocess.run(["ps2pdf", "-dEPSCrop", "-dSAFER", eps, pdf], check=True)
    return [float(v) for v in box.split()]


def rgb(c):
    return "#%02X%02X%02X" % tuple(round(v * 255) for v in c)


def centre(rect):
    return ((rect.x0 + rect.x1) / 2, (rect.y0 + rect.y1) / 2)


def crossing(items):
    """Where a level and an upright stroke of a + cross, if it is one."""
    strokes = [i for i in items if i[0] == "l"]
    level = [p for _, p, q in strokes if abs(p.y - q.y) < 1e-3]
    upright = [p for _, p, q in strokes if abs(p.x - q.x) < 1e-3]
    return (upright[0].x, level[0].y) if len(strokes) == 2 and level and upright else None


def read_truth(pdf, kind, count):
    doc = fitz.open(pdf)
    page = doc[0]
    refs = {ref_colour(k): [] for k in range(count)}
    lines = {ref_colour(k): [] for k in range(count)}
    area = None
    for d in page.get_drawings():
        colour = rgb(d["color"]) if d.get("color") else rgb(d["fill"]) if d.get("fill") else None
        if colour == AREA_REF:
            area = d["rect"]
        elif colour in refs:
            r = d["rect"]
            # A + is two strokes crossing at its point (a box round it may
            # be cut short by the reader).
            c = crossing(d["items"]) or centre(r)
            if max(r.width, r.height) < 4 and not any(abs(c[0] - o[0]) + abs(c[1] - o[1]) < 0.01 for o in refs[colour]):
                refs[colour].append(c)
            else:
                for item in d["items"]:
                    if item[0] == "l":
                        for p in item[1:]:
                            if not lines[colour] or lines[colour][-1] != (p.x, p.y):
                                lines[colour].append((p.x, p.y))
    return page.rect, area, refs, lines


def make(producer, chart):
    name, kind, series, legend = chart
    stem = f"{producer}-{name}"
    with tempfile.TemporaryDirectory() as tmp:
        ref_pdf = os.path.join(tmp, "ref.pdf")
        suffix = DRAWN_AS.get(producer, ".pdf")
        postscript = suffix == ".eps"
        drawing = os.path.join(HERE, stem + suffix)
        ref = os.path.join(tmp, "ref" + suffix)
        for out, reference in ((drawing, False), (ref, True)):
            program, text = PRODUCERS[producer](name, kind, series, legend, out, reference)
            script = os.path.join(tmp, "script")
            with open(script, "w") as f:
                f.write(text + "\n")
            command = [program, "-nosafe", "-batch", script, "-nosigcatch"] if program == "gracebat" else [program, script]
            subprocess.run(command, check=True, env=dict(os.environ, SOURCE_DATE_EPOCH="0"), cwd=tmp)
        pdf = drawing
        # Where the reference page's top left lies on the chart's page: the
        # producer may box the two alike only to a point.
        shift = (0, 0)
        if postscript:
            pdf = os.path.join(tmp, "chart.pdf")
            box = eps_to_pdf(drawing, pdf)
            ref_box = eps_to_pdf(ref, ref_pdf)
            shift = (ref_box[0] - box[0], box[3] - ref_box[3])
        page, area, refs, lines = read_truth(ref_pdf if postscript else ref, kind, len(series))
        if producer in PLACED_BY_AREA:
            refs, lines = placed(area, kind, series)
        moved = lambda p: (p[0] + shift[0], p[1] + shift[1])
        area = fitz.Rect(*moved((area.x0, area.y0)), *moved((area.x1, area.y1)))
        refs = {k: [moved(p) for p in v] for k, v in refs.items()}
        lines = {k: [moved(p) for p in v] for k, v in lines.items()}
        doc = fitz.open(pdf)
        page = doc[0].rect
        doc[0].get_pixmap(dpi=DPI, alpha=False).save(os.path.join(HERE, stem + ".png"))
    scale = DPI / 72
    pixel = lambda p: [round(p[0] * scale - 0.5, 4), round(p[1] * scale - 0.5, 4)]
    truth = {"producer": producer, "drawing": os.path.basename(drawing), "dpi": DPI, "page": [page.width, page.height],
             "area": [area.x0, area.y0, area.x1, area.y1],
             "series": []}
    for k, s in enumerate(series):
        ref = ref_colour(k)
        entry = {"name": s[2], "kind": kind, "legend": producer not in WITHOUT_LEGEND}
        if kind == "markers":
            entry.update(shape=s[0], colour=s[1], points=sorted(refs[ref]))
        else:
            entry.update(colour=s[0], dash=s[1], points=sorted(refs[ref]), line=lines[ref])
        truth["series"].append(entry)
    with open(os.path.join(HERE, stem + ".truth"), "w") as f:
        json.dump(truth, f, indent=1)
        f.write("\n")
    print(stem, "area", [round(v * scale - 0.5, 1) for v in (area.x0, area.y0, area.x1, area.y1)],
          [len(s["points"]) for s in truth["series"]])


def gnuplot_svg(chart):
    """The chart through gnuplot's own SVG terminal, whose markers are
    symbols painted in currentColor and used in each series' colour, and
    whose text QtSvg draws as outlines. The test reads its truth from the
    SVG itself."""
    name, kind, series, legend = chart
    _, text = gnuplot_script(name, kind, series, legend, os.path.join(HERE, f"gnuplot-{name}.svg"), False)
    text = text.replace("set terminal pdfcairo size 5in,3.75in font 'Sans,9'", "set terminal svg size 500,375 font 'Sans,9'")
    with tempfile.TemporaryDirectory() as tmp:
        script = os.path.join(tmp, "script")
        with open(script, "w") as f:
            f.write(text + "\n")
        subprocess.run(["gnuplot", script], check=True, cwd=tmp)


# Producers whose charts are also scanned.
SCANNED = ("r", "ggplot2", "gnuplot", "libreoffice")


def scan(stem):
    """The chart's picture as a flatbed scan gives it back: softened, on
    tinted paper, with the ink a little faded, grain, and saved as a JPEG.
    Its truth is the picture's."""
    import numpy
    from PIL import Image, ImageFilter
    picture = Image.open(os.path.join(HERE, stem + ".png")).convert("RGB").filter(ImageFilter.GaussianBlur(0.8))
    pixels = numpy.asarray(picture, dtype=numpy.float64)
    paper = numpy.array([247.0, 244.0, 236.0])
    pixels = paper - (255.0 - pixels) * 0.92 * paper / 255.0
    pixels += numpy.random.default_rng(sum(map(ord, stem))).normal(0.0, 5.0, pixels.shape)
    name = stem + "-scan"
    Image.fromarray(numpy.clip(pixels, 0, 255).astype(numpy.uint8)).save(os.path.join(HERE, name + ".jpg"), quality=80)
    with open(os.path.join(HERE, stem + ".truth")) as f:
        truth = json.load(f)
    truth.update(picture=name + ".jpg", scanned=True)
    with open(os.path.join(HERE, name + ".truth"), "w") as f:
        json.dump(truth, f, indent=1)
        f.write("\n")


if __name__ == "__main__":
    wanted = sys.argv[1:] or list(PRODUCERS)
    for producer in wanted:
        for chart in CHARTS:
            make(producer, chart)
            if producer in SCANNED:
                scan(f"{producer}-{chart[0]}")
            if producer == "gnuplot" and chart[1] == "markers":
                gnuplot_svg(chart)
