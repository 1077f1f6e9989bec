// Axes found in raster charts against the exact maps their script wrote.
#include "axes/FindAxes.h"
#include "axes/LabelReader.h"
#include "document/PointsFit.h"

#include <QFile>
#include <QImage>

#include <FreeImage.h>
#include <QPainter>
#include <QTest>

#include <algorithm>
#include <cmath>

namespace {

struct TTruth {
    QString Name;
    bool LogX = false, LogY = false;
    double M[6] = {};
    double T[4] = {}; // the area's t ranges: x from, x to, y from, y to

    QPointF Pixel(double Tx, double Ty) const { return {M[0] + M[1] * Tx + M[2] * Ty, M[3] + M[4] * Tx + M[5] * Ty}; }
    // The t of both axes at a picture position.
    QPointF T_At(QPointF P) const
    {
        const double det = M[1] * M[5] - M[2] * M[4];
        const double dx = P.x() - M[0], dy = P.y() - M[3];
        return {(M[5] * dx - M[2] * dy) / det, (M[1] * dy - M[4] * dx) / det};
    }
};

std::vector<TTruth> ReadTruth()
{
    QFile file(QStringLiteral(AXES_CHARTS "/axes.truth"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    std::vector<TTruth> all;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() != 13)
            continue;
        TTruth t{QString::fromLatin1(f[0]), f[1] == "1", f[2] == "1"};
        for (int i = 0; i < 6; ++i)
            t.M[i] = f[3 + i].toDouble();
        for (int i = 0; i < 4; ++i)
            t.T[i] = f[9 + i].toDouble();
        all.push_back(t);
    }
    return all;
}

TGrayPicture Gray(const QImage& Image)
{
    const QImage rgb = Image.convertToFormat(QImage::Format_RGB32);
    TGrayPicture g{rgb.width(), rgb.height(), {}};
    g.Pixels.reserve(std::size_t(g.Width) * std::size_t(g.Height));
    for (int y = 0; y < g.Height; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < g.Width; ++x)
            g.Pixels.push_back(std::uint8_t(qGray(row[x])));
    }
    return g;
}

// A chart decoded as the program decodes it: its JPEGs through FreeImage's
// libjpeg, whose pixels differ from other decoders' by a level or two.
TGrayPicture Decoded(const QString& Name)
{
    const QByteArray file = QFile::encodeName(Name);
    FIBITMAP* stored = FreeImage_Load(FreeImage_GetFileType(file.constData()), file.constData());
    FIBITMAP* rgb = stored ? FreeImage_ConvertTo24Bits(stored) : nullptr;
    TGrayPicture g{rgb ? int(FreeImage_GetWidth(rgb)) : 0, rgb ? int(FreeImage_GetHeight(rgb)) : 0, {}};
    g.Pixels.reserve(std::size_t(g.Width) * std::size_t(g.Height));
    for (int y = 0; y < g.Height; ++y) {
        const BYTE* row = FreeImage_GetScanLine(rgb, g.Height - 1 - y);
        for (int x = 0; x < g.Width; ++x)
            g.Pixels.push_back(std::uint8_t(qGray(row[3 * x + FI_RGBA_RED], row[3 * x + FI_RGBA_GREEN],
                                                  row[3 * x + FI_RGBA_BLUE])));
    }
    FreeImage_Unload(rgb);
    FreeImage_Unload(stored);
    return g;
}

double AxisT(bool Log, double Value)
{
    return Log ? std::log10(Value) : Value;
}

// How far the worst tick lies from where its value is, along its axis, in
// pixels; and how far the map fitted through them puts the area's points.
struct TJudged {
    double Tick = 0;
    double Map = INFINITY;
};

TJudged Judge(const TTruth& Truth, const TDrawnAxes& Axes)
{
    TJudged j;
    std::vector<TCalibrationPoint> points;
    for (const bool x : {true, false})
        for (const TDrawnTick& t : (x ? Axes.X : Axes.Y).Ticks) {
            const bool log = x ? Truth.LogX : Truth.LogY;
            const QPointF at = Truth.T_At(t.At);
            const double perT = x ? std::hypot(Truth.M[1], Truth.M[4]) : std::hypot(Truth.M[2], Truth.M[5]);
            const double value = log && !(t.Value > 0) ? NAN : AxisT(log, t.Value);
            if (qEnvironmentVariableIsSet("AXES_DEBUG")) qInfo("  %s %s %.2f,%.2f value %g err %+.3f", qPrintable(Truth.Name), x?"X":"Y", t.At.x(), t.At.y(), t.Value, ((x ? at.x() : at.y()) - value) * perT * (x ? (Truth.M[1] > 0 ? 1 : -1) : (Truth.M[5] > 0 ? 1 : -1)));
            j.Tick = std::max(j.Tick, std::isnan(value) ? INFINITY : std::abs((x ? at.x() : at.y()) - value) * perT);
            points.push_back({{t.At.x(), t.At.y()}, x ? t.Value : NAN, x ? NAN : t.Value});
        }
    TPointsMap map;
    if (!FitPoints(points, Axes.X.Log ? amLog10 : amLinear, Axes.Y.Log ? amLog10 : amLinear, map))
        return j;
    j.Map = 0;
    for (int i = 0; i <= 10; ++i)
        for (int k = 0; k <= 10; ++k) {
            const double tx = Truth.T[0] + (Truth.T[1] - Truth.T[0]) * i / 10;
            const double ty = Truth.T[2] + (Truth.T[3] - Truth.T[2]) * k / 10;
            TPointF p;
            const TDataPoint d{Truth.LogX ? std::pow(10, tx) : tx, Truth.LogY ? std::pow(10, ty) : ty};
            if (!map.PixelOf(d, p)) {
                j.Map = INFINITY;
                return j;
            }
            const QPointF truth = Truth.Pixel(tx, ty);
            j.Map = std::max(j.Map, std::hypot(p.X - truth.x(), p.Y - truth.y()));
        }
    return j;
}

} // namespace

class TestFindAxes : public QObject {
    Q_OBJECT

private slots:
    void chartSet();
    void withinARectangle_data();
    void withinARectangle();
};

// Every chart of the set is calibrated (each tick within half a pixel of
// its value's place) or refused; a map off by a pixel anywhere is a fault.
void TestFindAxes::chartSet()
{
    const std::vector<TTruth> truth = ReadTruth();
    QVERIFY(truth.size() >= 68);
    TLabelReader reader;
    QVERIFY2(reader.Problem().isEmpty(), qPrintable(reader.Problem()));
    int calibrated = 0;
    QStringList wrong, refused;
    for (const TTruth& t : truth) {
        const TGrayPicture chart = Decoded(QStringLiteral(AXES_CHARTS "/") + t.Name);
        QVERIFY2(chart.Width > 0, qPrintable(t.Name));
        const TFoundAxes found = FindAxes(chart, reader);
        if (!found.Axes.Problem.isEmpty()) {
            refused << QStringLiteral("%1 (%2)").arg(t.Name, found.Axes.Problem);
            continue;
        }
        const TJudged j = Judge(t, found.Axes);
        if (j.Map > 1)
            wrong << QStringLiteral("%1 (map off by %2 px)").arg(t.Name).arg(j.Map);
        else if (j.Tick <= 0.5)
            ++calibrated;
        else
            wrong << QStringLiteral("%1 (a tick off by %2 px)").arg(t.Name).arg(j.Tick);
        qInfo("%s: X %zu ticks%s, Y %zu ticks%s, tick %.3f px, map %.3f px", qPrintable(t.Name),
              found.Axes.X.Ticks.size(), found.Axes.X.Log ? " log" : "", found.Axes.Y.Ticks.size(),
              found.Axes.Y.Log ? " log" : "", j.Tick, j.Map);
    }
    qInfo("calibrated %d of %zu; refused: %s", calibrated, truth.size(), qPrintable(refused.join(u'\n')));
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
    QVERIFY2(calibrated >= 62, qPrintable(QString::number(calibrated)));
}

// Two charts side by side: the rectangle dragged around one gives its
// axes, not the other's.
void TestFindAxes::withinARectangle_data()
{
    QTest::addColumn<QString>("chart");
    QTest::addColumn<int>("left");
    QTest::newRow("left, log X") << "chart03.jpg" << 0;
    QTest::newRow("right, linear") << "chart48.jpg" << 1500;
}

void TestFindAxes::withinARectangle()
{
    QFETCH(QString, chart);
    QFETCH(int, left);
    QImage both(3000, 1080, QImage::Format_RGB32);
    both.fill(Qt::white);
    QPainter painter(&both);
    painter.drawImage(0, 0, QImage(QStringLiteral(AXES_CHARTS "/chart03.jpg")));
    painter.drawImage(1500, 0, QImage(QStringLiteral(AXES_CHARTS "/chart48.jpg")));
    painter.end();
    const std::vector<TTruth> all = ReadTruth();
    const auto truth = std::find_if(all.begin(), all.end(), [&](const TTruth& t) { return t.Name == chart; });
    QVERIFY(truth != all.end());
    TTruth shifted = *truth;
    shifted.M[0] += left;
    TLabelReader reader;
    const TFoundAxes found = FindAxes(Gray(both), reader, QRect(left, 0, 1500, 1080));
    QVERIFY2(found.Axes.Problem.isEmpty(), qPrintable(found.Axes.Problem));
    const TJudged j = Judge(shifted, found.Axes);
    QVERIFY2(j.Tick <= 0.5 && j.Map <= 1, qPrintable(QStringLiteral("%1 %2").arg(j.Tick).arg(j.Map)));
    QVERIFY(found.Frame.boundingRect().left() >= left);
}

QTEST_GUILESS_MAIN(TestFindAxes)
#include "test_findaxes.moc"
