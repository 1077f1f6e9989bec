#!/usr/bin/python3
"""Draws one chart with LibreOffice Calc, through its UNO bridge, and writes
the sheet's pages as a PDF: ./libreoffice_chart.py SPEC.json OUT.pdf, where
SPEC gives the sheet's rows (a header, then x and each series' y, null where
a series has no point at that x), whether the series are joined by lines,
each series' colour, standard symbol (-3 for none), symbol size and line
width (hundredths of a millimetre), dash and legend entry, the legend's
place and the colour of a border round the plotting area, if any.
"""
import json
import os
import signal
import subprocess
import sys
import time

import uno
from com.sun.star.awt import Rectangle, Size
from com.sun.star.beans import PropertyValue
from com.sun.star.chart2 import RelativePosition
from com.sun.star.drawing import LineDash
from com.sun.star.table import CellRangeAddress


def connect(pipe):
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    for _ in range(120):
        try:
            return resolver.resolve(f"uno:pipe,name={pipe};urp;StarOffice.ComponentContext")
        except Exception:
            time.sleep(0.5)
    raise RuntimeError("LibreOffice did not answer")


def chart_of(doc, spec):
    sheets = doc.Sheets
    sheets.insertNewByName("data", 1)
    data = sheets.getByIndex(1)
    rows = spec["rows"]
    for r, row in enumerate(rows):
        for c, v in enumerate(row):
            if isinstance(v, str):
                data.getCellByPosition(c, r).setString(v)
            elif v is not None:
                data.getCellByPosition(c, r).setValue(v)
    charts = sheets.getByIndex(0).Charts
    cells = CellRangeAddress()
    cells.Sheet, cells.StartColumn, cells.StartRow, cells.EndColumn, cells.EndRow = 1, 0, 0, len(rows[0]) - 1, len(rows) - 1
    charts.addNewByName("chart", Rectangle(0, 0, 16000, 11000), (cells,), True, False)
    return charts.getByName("chart").EmbeddedObject


def draw(doc, spec):
    chart = chart_of(doc, spec)
    chart.Diagram = chart.createInstance("com.sun.star.chart.XYDiagram")
    diagram = chart.Diagram
    diagram.Lines = spec["lines"]
    for axis, (low, high) in ((diagram.XAxis, (0.5, 11.5)), (diagram.YAxis, (0, 10))):
        axis.AutoMin = axis.AutoMax = axis.AutoStepMain = False
        axis.Min, axis.Max, axis.StepMain = low, high, 2
    # Row 0 holds the x values; the series follow.
    series = chart.getFirstDiagram().getCoordinateSystems()[0].getChartTypes()[0].getDataSeries()
    for i, s in enumerate(spec["series"]):
        p = diagram.getDataRowProperties(i + 1)
        p.setPropertyValue("Color", int(s["colour"][1:], 16))
        p.setPropertyValue("SymbolType", s["symbol"])
        p.setPropertyValue("SymbolSize", Size(s["size"], s["size"]))
        if spec["lines"]:
            p.setPropertyValue("LineWidth", s["width"])
            if s["dash"]:
                # The dash first: a dashed style with no dash draws nothing.
                series[i].setPropertyValue("LineDash", LineDash(
                    Style=uno.Enum("com.sun.star.drawing.DashStyle", "RECT"), Dashes=1, DashLen=300, Distance=200))
                series[i].setPropertyValue("LineStyle", uno.Enum("com.sun.star.drawing.LineStyle", "DASH"))
        series[i].setPropertyValue("ShowLegendEntry", s["legend"])
    if spec["area"]:
        wall = diagram.Wall
        wall.setPropertyValue("LineStyle", uno.Enum("com.sun.star.drawing.LineStyle", "SOLID"))
        wall.setPropertyValue("LineColor", int(spec["area"][1:], 16))
        wall.setPropertyValue("LineWidth", 0)
    chart.HasLegend = True
    if spec["legend"] == "inside":
        legend = chart.getFirstDiagram().getLegend()
        legend.setPropertyValue("Overlay", True)
        legend.setPropertyValue("RelativePosition", RelativePosition(
            0.14, 0.08, uno.Enum("com.sun.star.drawing.Alignment", "TOP_LEFT")))


def main(spec_file, out):
    spec = json.load(open(spec_file))
    pipe = "quillon-libreoffice-%d" % os.getpid()
    profile = "file://" + os.path.abspath("libreoffice-profile")
    office = subprocess.Popen(["soffice", "--headless", "--invisible", "--norestore", "--nologo",
                               f"-env:UserInstallation={profile}", f"--accept=pipe,name={pipe};urp;"],
                              start_new_session=True)
    try:
        desktop = connect(pipe).ServiceManager.createInstance("com.sun.star.frame.Desktop")
        hidden = PropertyValue(Name="Hidden", Value=True)
        doc = desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0, (hidden,))
        draw(doc, spec)
        doc.storeToURL("file://" + os.path.abspath(out), (PropertyValue(Name="FilterName", Value="calc_pdf_Export"),))
        doc.close(True)
    finally:
        # The launcher starts the office as a child of its own.
        os.killpg(office.pid, signal.SIGKILL)
        office.wait()


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
