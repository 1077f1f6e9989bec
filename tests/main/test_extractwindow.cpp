// Extraction through the window: the dialog's colour pick and highlight,
// the points it adds as one step, their exact data on turned and log axes,
// sub-pixel points in the list and the session, and the command line giving
// the window's own bytes.
#include "main/CommandLine.h"
#include "main/formMain.h"
#include "WindowDriver.h"

#include "ExactCompare.h"
#include "ProcessRun.h"
#include "SyntheticChart.h"
#include "TestFiles.h"
#include "platform/TurnedPoint.h"

#include <QAction>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include <cmath>
#include <utility>

namespace {

const QColor Red(200, 20, 30);

void Click(QWidget* view, QPoint at)
{
    QTest::mouseMove(view, at);
    QTest::mouseClick(view, Qt::LeftButton, {}, at);
}

long long MarkedPixels(const QImage& mask)
{
    long long count = 0;
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x)
            count += mask.pixelIndex(x, y);
    return count;
}

} // namespace

class TestExtractWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void curveFromAClickedColourIsOneStep();
    void theClickedCurveIsTheOneFollowed();
    void markersTakeTheShownSizes();
    void markersAreNamedByTheirLegend_data();
    void markersAreNamedByTheirLegend();
    void extractedDataUseTheExactPositionOnTurnedLogAxes();
    void fractionsShowInTheListAndTheSession();
    void subPixelClicksWhenZoomedIn();
    void aFineClickOnAWholePixelIsTurnedExactly();
    void theAreasColoursAreShownAndPicked();
    void commandLineGivesTheWindowsBytes();
    void commandLineRefusals_data();
    void commandLineRefusals();
    void replaceWithinLimitsIsOneStep();
    void commandLineLimitsReplaceAndDoubt_data();
    void commandLineLimitsReplaceAndDoubt();

private:
    TQuillonView& View() const { return *Drive(*FForm).QuillonView(); }
    QString Path(const char* name) const { return FDir.filePath(QString::fromLatin1(name)); }
    // A chart of a red line and red discs, with a session that maps it.
    QString WriteChartSession(double Angle);
    QStringList Column(int Index) const;

    TScopedConfigHome FHome;
    QTemporaryDir FDir;
    std::unique_ptr<Tmainform> FForm;
};

void TestExtractWindow::init()
{
    QFile::remove(FHome.SettingsFile());
    StoreStartupTip(false);
    FForm = std::make_unique<Tmainform>();
    FForm->show();
    QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
}

void TestExtractWindow::cleanup()
{
    FForm.reset();
}

QString TestExtractWindow::WriteChartSession(double Angle)
{
    TSyntheticChart chart(400, 300, Angle, {20, 280});
    chart.Curve([](double x) { return 150 + 40 * std::sin(x / 30); }, 10, 390, Red, 3);
    for (int i = 0; i < 6; ++i)
        chart.Disc({60.3 + 55 * i, 240.6}, 5, QColor(20, 40, 210));
    chart.Image().save(Path("chart.png"));
    WriteTextFile(Path("chart.qsf"), "[image]\r\npath=" + Path("chart.png").toUtf8() +
                                         "\r\nangle=" + QByteArray::number(Angle) +
                                         "\r\n[screenrect]\r\nx1=20\r\nx2=380\r\ny1=20\r\ny2=280\r\n"
                                         "[dimensions]\r\ny1=1\r\ny2=1000\r\nx1=0\r\nx2=36\r\n"
                                         "AxisXMap=0\r\nAxisYMap=1\r\n");
    return Path("chart.qsf");
}

QStringList TestExtractWindow::Column(int Index) const
{
    QStringList cells;
    for (int row = 0; row < Drive(*FForm).ListModel()->Count(); ++row)
        cells << Drive(*FForm).ListModel()->Cell(row, Index);
    return cells;
}

void TestExtractWindow::curveFromAClickedColourIsOneStep()
{
    Drive(*FForm).LoadSession(WriteChartSession(0));
    View().SetZoom(1.0f);
    Drive(*FForm).Action("acExtractCurve")->trigger();
    TformExtract* dialog = Drive(*FForm).FExtract();
    QVERIFY(dialog);
    QVERIFY(!dialog->btnExtract->isEnabled());
    QVERIFY(View().Picking());
    // A click on the curve takes its colour and marks its pixels.
    const int y = int(std::lround(150 + 40 * std::sin(100 / 30.0)));
    Click(&View(), {100, y});
    QCOMPARE(View().SiteCount(), 0);
    QCOMPARE(dialog->FColour, (TRgb{200, 20, 30}));
    // The status, a line or two longer now, is not clipped.
    QVERIFY(dialog->height() >= dialog->layout()->totalHeightForWidth(dialog->width()));
    const long long marked = MarkedPixels(View().Highlight());
    QVERIFY(marked > 360 && marked < 360 * 5);
    // A wider tolerance takes in more of the anti-aliased edge.
    dialog->seTolerance->setValue(160);
    dialog->Refresh();
    QVERIFY(MarkedPixels(View().Highlight()) > marked);
    dialog->seTolerance->setValue(64);
    dialog->seStep->setValue(20);

    const int steps = Drive(*FForm).UndoStack().count();
    QVERIFY(dialog->btnExtract->isEnabled());
    dialog->btnExtract->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!Drive(*FForm).FExtract());
    QVERIFY(!View().Picking());
    QVERIFY(View().Highlight().isNull());
    QCOMPARE(View().SiteCount(), 19);
    QCOMPARE(Drive(*FForm).ListModel()->Count(), 19);
    QCOMPARE(Column(0).first(), QStringLiteral("1"));
    QCOMPARE(Column(0).last(), QStringLiteral("19"));
    for (int i = 0; i < View().SiteCount(); ++i) {
        const TSiteObject& site = *View().GetSite(i);
        QCOMPARE_EXACT(site.X, 20.0 + 20 * i);
        QVERIFY2(std::abs(site.Y - (150 + 40 * std::sin(site.X / 30))) < 0.25,
                 qPrintable(QStringLiteral("%1,%2").arg(site.X).arg(site.Y)));
    }
    QCOMPARE(Drive(*FForm).UndoStack().count(), steps + 1);
    QCOMPARE(Drive(*FForm).UndoStack().undoText(), QStringLiteral("Extract Curve"));
    Drive(*FForm).UndoStack().undo();
    QCOMPARE(View().SiteCount(), 0);
    QCOMPARE(Drive(*FForm).ListModel()->Count(), 0);
    Drive(*FForm).UndoStack().redo();
    QCOMPARE(Drive(*FForm).ListModel()->Count(), 19);
}

void TestExtractWindow::theClickedCurveIsTheOneFollowed()
{
    // A wave and a line of one colour, crossing; the click is on the line.
    const auto wave = [](double x) { return 150 + 60 * std::sin(x / 35); };
    const auto line = [](double x) { return 120 + 0.15 * x; };
    TSyntheticChart chart(400, 300);
    chart.Curve(wave, 10, 390, Red, 3);
    chart.Curve(line, 10, 390, Red, 3);
    chart.Image().save(Path("two.png"));
    QVERIFY(Drive(*FForm).LoadImageFile(Path("two.png")));
    View().SetZoom(1.0f);
    View().SetMappingRect({20, 20, 380, 280});
    Drive(*FForm).UpdateCommands();
    Drive(*FForm).Action("acExtractCurve")->trigger();
    QVERIFY(Drive(*FForm).FExtract());
    Click(&View(), {300, int(std::lround(line(300)))});
    Drive(*FForm).FExtract()->Extract();
    QVERIFY(View().SiteCount() > 30);
    for (int i = 0; i < View().SiteCount(); ++i) {
        const TSiteObject& site = *View().GetSite(i);
        if (std::abs(wave(site.X) - line(site.X)) > 8)
            QVERIFY2(std::abs(site.Y - line(site.X)) < 1, qPrintable(QStringLiteral("%1,%2").arg(site.X).arg(site.Y)));
    }
}

void TestExtractWindow::markersTakeTheShownSizes()
{
    Drive(*FForm).LoadSession(WriteChartSession(0));
    Drive(*FForm).Action("acExtractMarkers")->trigger();
    TformExtract* dialog = Drive(*FForm).FExtract();
    QVERIFY(dialog);
    dialog->SetColour({20, 40, 210});
    QVERIFY(dialog->seMinSize->value() > 20 && dialog->seMaxSize->value() < 300);
    QVERIFY2(dialog->lblStatus->text().contains(QStringLiteral("6 are within")), qPrintable(dialog->lblStatus->text()));
    // Sizes that take in no marker leave nothing to extract.
    dialog->seMinSize->setValue(dialog->seMaxSize->value());
    QVERIFY(!dialog->btnExtract->isEnabled());
    dialog->seMinSize->setValue(1);
    dialog->Extract();
    QCOMPARE(View().SiteCount(), 6);
    for (int i = 0; i < 6; ++i) {
        QVERIFY(std::abs(View().GetSite(i)->X - (60.3 + 55 * i)) < 0.25);
        QVERIFY(std::abs(View().GetSite(i)->Y - 240.6) < 0.25);
    }
    QCOMPARE(Drive(*FForm).UndoStack().undoText(), QStringLiteral("Extract Markers"));
}

void TestExtractWindow::markersAreNamedByTheirLegend_data()
{
    QTest::addColumn<QString>("ownName"); // given by hand before extracting
    QTest::addColumn<bool>("bothBlue"); // the legend's two samples of one colour
    QTest::addColumn<QString>("name");
    QTest::newRow("the legend's name") << QString() << false << QStringLiteral("Trial group");
    QTest::newRow("a name given by hand stays") << QStringLiteral("Mine") << false << QStringLiteral("Mine");
    QTest::newRow("a colour in two rows names nothing") << QString() << true << QString();
}

// A boxed legend whose box's bottom touches the descenders of a name of two
// words: the name of the blue sample names the blue markers' series.
void TestExtractWindow::markersAreNamedByTheirLegend()
{
    QFETCH(QString, ownName);
    QFETCH(bool, bothBlue);
    QFETCH(QString, name);
    const QColor blue(20, 40, 210);
    TSyntheticChart chart(400, 300);
    for (int i = 0; i < 6; ++i)
        chart.Disc({60.3 + 55 * i, 240.6}, 5, blue);
    chart.Disc({232, 48}, 5, blue);
    chart.Text({244, 54}, QStringLiteral("Trial group"), Qt::black, 16);
    chart.Disc({232, 74}, 5, bothBlue ? blue : Red);
    chart.Text({244, 80}, QStringLiteral("Control"), Qt::black, 16);
    for (const auto& [a, b] : {std::pair<TPointF, TPointF>{{220, 30}, {370, 30}}, {{370, 30}, {370, 85}},
                               {{370, 85}, {220, 85}}, {{220, 85}, {220, 30}}})
        chart.Line(a, b, Qt::black, 1);
    chart.Line({240, 57.5}, {340, 57.5}, Qt::black, 1);
    chart.Image().save(Path("legend.png"));
    QVERIFY(Drive(*FForm).LoadImageFile(Path("legend.png")));
    View().SetMappingRect({20, 20, 380, 280});
    TJobDocument& job = Drive(*FForm).Document();
    if (!ownName.isEmpty())
        job.RenameSeries(job.Current, ownName);
    const QString before = job.CurrentSeries().Name;
    Drive(*FForm).UpdateCommands();
    Drive(*FForm).Action("acExtractMarkers")->trigger();
    Drive(*FForm).FExtract()->SetColour({20, 40, 210});
    Drive(*FForm).FExtract()->Extract();
    QCOMPARE(View().SiteCount(), 6);
    QCOMPARE(job.CurrentSeries().Name, name.isEmpty() ? before : name);
}

void TestExtractWindow::extractedDataUseTheExactPositionOnTurnedLogAxes()
{
    const double angle = 2.5;
    Drive(*FForm).LoadSession(WriteChartSession(angle));
    QCOMPARE(View().Angle, angle);
    Drive(*FForm).Action("acExtractMarkers")->trigger();
    Drive(*FForm).FExtract()->SetColour({20, 40, 210});
    Drive(*FForm).FExtract()->Extract();
    QCOMPARE(View().SiteCount(), 6);
    for (int i = 0; i < 6; ++i) {
        const TSiteObject& site = *View().GetSite(i);
        // Into the turned frame by hand, then the axes: X 0..36 over 20..380,
        // Y log 1..1000 over 280..20.
        const TPointF frame = TurnedPoint(site.Point(), {20, 280}, angle);
        QVERIFY(std::abs(frame.X - (60.3 + 55 * i)) < 0.25);
        QVERIFY(std::abs(frame.Y - 240.6) < 0.25);
        const double x = (frame.X - 20) / 360 * 36;
        const double y = std::pow(10.0, (frame.Y - 280) / (20.0 - 280) * 3);
        TDataPoint d;
        View().PixelToData(site.Point(), d);
        QVERIFY(std::abs(d.X - x) < 1e-9);
        QVERIFY(std::abs(d.Y / y - 1) < 1e-9);
        QCOMPARE(Drive(*FForm).ListModel()->Cell(i, 1), Drive(*FForm).DataNumberText(axX, d.X));
        QCOMPARE(Drive(*FForm).ListModel()->Cell(i, 2), Drive(*FForm).DataNumberText(axY, d.Y));
    }
}

void TestExtractWindow::fractionsShowInTheListAndTheSession()
{
    Drive(*FForm).LoadSession(WriteChartSession(0));
    Drive(*FForm).Action("acClickMode")->trigger();
    Click(&View(), {30, 40});
    View().AddSites({{100.5, 7.125}, {-3.25, 12.0004}, {8, 9.9996}});
    QCOMPARE(Column(0), (QStringList{"1", "2", "3", "4"}));
    QCOMPARE(Column(3), (QStringList{"30", "100.5", "-3.25", "8"}));
    QCOMPARE(Column(4), (QStringList{"40", "7.125", "12", "10"}));
    Drive(*FForm).SaveSessionFile(Path("saved.qsf"));
    const QByteArray saved = ReadTextFile(Path("saved.qsf"));
    // The found point that came to lie on whole pixels keeps its mark.
    QVERIFY2(saved.contains("[series/series1]\r\n1=30,40\r\n2=100.5,7.125\r\n3=-3.25,12\r\n4=8.0,10\r\n"),
             saved.constData());
    Tmainform other;
    Drive(other).LoadSession(Path("saved.qsf"));
    QCOMPARE_EXACT(Drive(other).QuillonView()->GetSite(1)->X, 100.5);
    QCOMPARE_EXACT(Drive(other).QuillonView()->GetSite(1)->Y, 7.125);
    Drive(other).SaveSessionFile(Path("again.qsf"));
    QCOMPARE(ReadTextFile(Path("again.qsf")), saved);
}

void TestExtractWindow::subPixelClicksWhenZoomedIn()
{
    Drive(*FForm).LoadSession(WriteChartSession(0));
    Drive(*FForm).Action("acClickMode")->trigger();
    View().SetZoom(4.0f);
    // Off, as the described behaviour: the pixel shown.
    Click(&View(), {401, 403});
    QCOMPARE(View().GetSite(0)->Point(), (TPointF{100, 101}));
    View().Settings->SubPixelClicks = true;
    Click(&View(), {521, 403});
    QCOMPARE(View().GetSite(1)->Point(), (TPointF{130.25, 100.75}));
    // At 300 % the thirds are kept to a thousandth.
    View().SetZoom(3.0f);
    Click(&View(), {601, 452});
    QCOMPARE(View().GetSite(2)->Point(), (TPointF{200.333, 150.667}));
    // Not above 100 %: whole pixels still.
    View().SetZoom(1.0f);
    Click(&View(), {50, 60});
    QCOMPARE(View().GetSite(3)->Point(), (TPointF{50, 60}));
}

void TestExtractWindow::aFineClickOnAWholePixelIsTurnedExactly()
{
    const double angle = 1.5;
    Drive(*FForm).LoadSession(WriteChartSession(angle));
    Drive(*FForm).Action("acClickMode")->trigger();
    View().Settings->SubPixelClicks = true;
    View().SetZoom(2.0f);
    // Even client pixels at 200 % fall on whole image pixels.
    const std::vector<TPoint> clicks{{200, 202}, {210, 230}, {260, 300}, {330, 180}};
    for (const TPoint& c : clicks)
        Click(&View(), {c.X, c.Y});
    const auto turnedExactly = [&](Tmainform& Form) {
        int rounded = 0;
        for (int i = 0; i < int(clicks.size()); ++i) {
            const TPointF at{clicks[std::size_t(i)].X / 2.0, clicks[std::size_t(i)].Y / 2.0};
            const TPointF frame = TurnedPoint(at, {20, 280}, angle);
            const double x = (frame.X - 20) / 360 * 36;
            const double y = std::pow(10.0, (frame.Y - 280) / (20.0 - 280) * 3);
            if (Drive(Form).ListModel()->Cell(i, 1) != Drive(Form).DataNumberText(axX, x) ||
                Drive(Form).ListModel()->Cell(i, 2) != Drive(Form).DataNumberText(axY, y))
                return false;
            TDataPoint whole;
            Drive(Form).QuillonView()->PixelToData(TPoint{int(at.X), int(at.Y)}, whole);
            rounded += Drive(Form).ListModel()->Cell(i, 1) != Drive(Form).DataNumberText(axX, whole.X);
        }
        // Rounding after the turn would have shown other numbers.
        return rounded > 0;
    };
    QVERIFY(turnedExactly(*FForm));
    Drive(*FForm).SaveSessionFile(Path("fine.qsf"));
    QVERIFY(ReadTextFile(Path("fine.qsf")).contains("\r\n1=100.0,101\r\n"));
    Tmainform other;
    Drive(other).LoadSession(Path("fine.qsf"));
    QVERIFY(turnedExactly(other));
}

void TestExtractWindow::theAreasColoursAreShownAndPicked()
{
    Drive(*FForm).LoadSession(WriteChartSession(0));
    Drive(*FForm).Action("acExtractMarkers")->trigger();
    TformExtract& dialog = *Drive(*FForm).FExtract();
    QTRY_VERIFY(dialog.lblPalette->text().contains("href"));
    // Each swatch links its colour; the discs' blue is among them.
    const QRegularExpression link(QStringLiteral("href=\"(#[0-9A-Fa-f]{6})\""));
    std::optional<TRgb> blue;
    for (const QRegularExpressionMatch& m : link.globalMatch(dialog.lblPalette->text())) {
        const TRgb ink = *ParseRgb(m.captured(1));
        if (ColourDistance(ink, {20, 40, 210}) <= 8)
            blue = ink;
    }
    QVERIFY2(blue, qPrintable(dialog.lblPalette->text()));
    emit dialog.lblPalette->linkActivated(RgbText(*blue));
    QVERIFY(dialog.FColour == *blue);
    QVERIFY(dialog.lblPalette->text().contains(QStringLiteral("<b><a href=\"%1\"").arg(RgbText(*blue))));
    dialog.Extract();
    QCOMPARE(View().SiteCount(), 6);
}

void TestExtractWindow::commandLineGivesTheWindowsBytes()
{
    const QString session = WriteChartSession(0);
    Drive(*FForm).LoadSession(session);
    Drive(*FForm).Action("acExtractCurve")->trigger();
    Drive(*FForm).FExtract()->SetColour({200, 20, 30});
    Drive(*FForm).FExtract()->seTolerance->setValue(50);
    Drive(*FForm).FExtract()->seStep->setValue(7.5);
    Drive(*FForm).FExtract()->Extract();
    QVERIFY(View().SiteCount() > 40);
    Drive(*FForm).SaveDataFile(Path("window.txt"));

    const TRun run = RunProcess(QStringLiteral(QUILLON_EXECUTABLE),
                                {QStringLiteral("--extract-curve"), QStringLiteral("#c8141e"),
                                 QStringLiteral("--tolerance"), QStringLiteral("50"), QStringLiteral("--step"),
                                 QStringLiteral("7.5"), QStringLiteral("--export"), Path("out.txt"), session},
                                WithoutDisplay());
    QCOMPARE(run.Status, 0);
    QVERIFY2(run.Err.contains(" points, 100 % of the width covered,") && !run.Err.contains("doubtful"), run.Err);
    QCOMPARE(ReadTextFile(Path("out.txt")), ReadTextFile(Path("window.txt")));
    // The session itself is not changed.
    QVERIFY(!ReadTextFile(session).contains("series"));

    Drive(*FForm).LoadSession(session);
    Drive(*FForm).Action("acExtractMarkers")->trigger();
    Drive(*FForm).FExtract()->SetColour({20, 40, 210});
    Drive(*FForm).FExtract()->Extract();
    Drive(*FForm).SaveDataFile(Path("window.txt"));
    const TRun markers = RunProcess(QStringLiteral(QUILLON_EXECUTABLE),
                                    {QStringLiteral("--extract-markers"), QStringLiteral("#1428D2"),
                                     QStringLiteral("--export"), QStringLiteral("-"), session},
                                    WithoutDisplay());
    QCOMPARE(markers.Status, 0);
    QCOMPARE(markers.Out, ReadTextFile(Path("window.txt")));
    QCOMPARE(markers.Out.count("\r\n"), 6);
}

void TestExtractWindow::commandLineRefusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    const QString out = QStringLiteral("OUT");
    const QString session = QStringLiteral("SESSION");
    QTest::newRow("bad colour") << QStringList{"--extract-curve", "red", "--export", out, session} << 1
                                << "#RRGGBB, not \"red\"";
    QTest::newRow("both kinds") << QStringList{"--extract-curve", "#ff0000", "--extract-markers", "#ff0000",
                                               "--export", out, session}
                                << 1 << "cannot be used together";
    QTest::newRow("no export") << QStringList{"--extract-markers", "#ff0000", session} << 1 << "needs --export";
    QTest::newRow("tolerance 256") << QStringList{"--extract-curve", "#ff0000", "--tolerance", "256", "--export",
                                                  out, session}
                                   << 1 << "0 to 255, not \"256\"";
    QTest::newRow("step 0.5") << QStringList{"--extract-curve", "#ff0000", "--step", "0.5", "--export", out, session}
                              << 1 << "1 or more, not \"0.5\"";
    QTest::newRow("step with markers") << QStringList{"--extract-markers", "#ff0000", "--step", "5", "--export", out,
                                                      session}
                                       << 1 << "--step goes with --extract-curve";
    QTest::newRow("tolerance alone") << QStringList{"--tolerance", "5", "--export", out, session} << 1
                                     << "--tolerance goes with";
    QTest::newRow("no plotting area") << QStringList{"--extract-curve", "#C8141E", "--export", out, "NOAREA"} << 2
                                      << "Mark the plotting area before extracting.";
    QTest::newRow("no picture") << QStringList{"--extract-curve", "#C8141E", "--export", out, "NOPICTURE"} << 2
                                << "has no picture to extract from";
}

void TestExtractWindow::commandLineRefusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    const QString session = WriteChartSession(0);
    WriteTextFile(Path("noarea.qsf"), "[image]\r\npath=" + Path("chart.png").toUtf8() + "\r\n");
    WriteTextFile(Path("nopicture.qsf"), "[screenrect]\r\nx1=20\r\nx2=380\r\ny1=20\r\ny2=280\r\n");
    WriteTextFile(Path("kept.txt"), "earlier data\r\n");
    arguments.replaceInStrings(QStringLiteral("OUT"), Path("kept.txt"));
    arguments.replaceInStrings(QStringLiteral("NOAREA"), Path("noarea.qsf"));
    arguments.replaceInStrings(QStringLiteral("NOPICTURE"), Path("nopicture.qsf"));
    arguments.replaceInStrings(QStringLiteral("SESSION"), session);
    const TRun run = RunProcess(QStringLiteral(QUILLON_EXECUTABLE), arguments, WithoutDisplay());
    QCOMPARE(run.Status, status);
    QVERIFY2(QString::fromUtf8(run.Err).contains(message), run.Err.constData());
    QCOMPARE(ReadTextFile(Path("kept.txt")), QByteArray("earlier data\r\n"));
}

// Markers found again from X = 10 on take the place of the six found
// before, and one undo brings those back.
void TestExtractWindow::replaceWithinLimitsIsOneStep()
{
    Drive(*FForm).LoadSession(WriteChartSession(0));
    for (const bool again : {false, true}) {
        Drive(*FForm).Action("acExtractMarkers")->trigger();
        TformExtract* dialog = Drive(*FForm).FExtract();
        dialog->SetColour({20, 40, 210});
        dialog->cbxReplace->setChecked(again);
        dialog->edFromX->setText(again ? QStringLiteral("10") : QString());
        dialog->Extract();
    }
    // The discs lie at X = 4.03 + 5.5 i.
    QCOMPARE(View().SiteCount(), 4);
    QVERIFY(std::abs(View().GetSite(0)->X - (60.3 + 55 * 2)) < 0.25);
    Drive(*FForm).Action("acUndo")->trigger();
    QCOMPARE(View().SiteCount(), 6);
}

void TestExtractWindow::commandLineLimitsReplaceAndDoubt_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    // Data lines written, and the X data values they must lie within.
    QTest::addColumn<int>("lines");
    QTest::addColumn<double>("fromX");
    QTest::addColumn<double>("toX");
    const QString red = QStringLiteral("#C8141E");
    // The curve spans the area: each step of 10 pixels, 1 unit of X, a point.
    QTest::newRow("whole, joining the point") << QStringList{"--extract-curve", red} << 0 << 38 << -1.0 << 37.0;
    QTest::newRow("replacing the point") << QStringList{"--extract-curve", red, "--replace"} << 0 << 37 << 0.0
                                         << 36.0;
    QTest::newRow("limits") << QStringList{"--extract-curve", red, "--replace", "--from-x", "9", "--to-x", "27.5"}
                            << 0 << 19 << 9.0 << 27.5;
    QTest::newRow("limits either way") << QStringList{"--extract-curve", red, "--replace", "--from-x", "27.5",
                                                      "--to-x", "9"}
                                       << 0 << 19 << 9.0 << 27.5;
    // Markers along a third of the width: the colour is explained, so sure.
    QTest::newRow("markers") << QStringList{"--extract-markers", "#1428D2", "--replace"} << 0 << 6 << 3.0 << 33.0;
    QTest::newRow("limits leaving nothing") << QStringList{"--extract-curve", red, "--to-x", "-40"} << 2 << 0 << 0.0
                                            << 0.0;
    // Markers followed as a curve cover a third of the width: doubtful,
    // written, status 3 unless accepted.
    QTest::newRow("doubtful") << QStringList{"--extract-curve", "#1428D2", "--replace"} << 3 << 9 << 3.0 << 33.0;
    QTest::newRow("accepted") << QStringList{"--extract-curve", "#1428D2", "--replace", "--accept-doubtful"} << 0 << 9
                              << 3.0 << 33.0;
}

void TestExtractWindow::commandLineLimitsReplaceAndDoubt()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(int, lines);
    QFETCH(double, fromX);
    QFETCH(double, toX);
    const QString session = WriteChartSession(0);
    // One point already in the series, at X = -1.
    QFile file(session);
    QVERIFY(file.open(QIODevice::Append));
    file.write("[series/series1]\r\n1=10,150\r\n");
    file.close();
    const TRun run = RunProcess(QStringLiteral(QUILLON_EXECUTABLE),
                                arguments + QStringList{QStringLiteral("--export"), QStringLiteral("-"), session},
                                WithoutDisplay());
    QVERIFY2(run.Status == status, run.Err.constData());
    const QList<QByteArray> rows = run.Out.split('\n');
    QCOMPARE(int(rows.size()) - 1, lines);
    for (int i = 0; i < lines; ++i) {
        const double x = rows[i].split(' ').first().toDouble();
        QVERIFY2(x >= fromX - 0.05 && x <= toX + 0.05, rows[i].constData());
    }
    QCOMPARE(run.Err.contains("doubtful"), status == 3 || arguments.contains("--accept-doubtful"));
}

QTEST_MAIN(TestExtractWindow)
#include "test_extractwindow.moc"
