// The window at twice the pixel density under a dark Fusion palette: the
// command glyphs are drawn for the density and show on the dark ground,
// the list's fixed light ground keeps dark text, and the points' strokes
// are a whole logical pixel wide. Screenshots of
// the window are left in the build folder for a person to look at.
#include "WindowDriver.h"
#include "TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QStyleFactory>
#include <QtTest>

#include <FreeImage.h>

namespace {

QPalette DarkPalette()
{
    QPalette dark;
    const QColor window(45, 45, 48), text(225, 225, 225), base(30, 30, 30);
    for (const auto& [role, colour] : std::initializer_list<std::pair<QPalette::ColorRole, QColor>>{
             {QPalette::Window, window}, {QPalette::WindowText, text}, {QPalette::Base, base},
             {QPalette::AlternateBase, window}, {QPalette::Text, text}, {QPalette::Button, window},
             {QPalette::ButtonText, text}, {QPalette::Highlight, QColor(42, 130, 218)},
             {QPalette::HighlightedText, Qt::black}, {QPalette::PlaceholderText, QColor(150, 150, 150)}})
        dark.setColor(role, colour);
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 120));
    return dark;
}

// How far apart two colours' lightness is, 0 to 1.
double Contrast(const QColor& a, const QColor& b)
{
    return std::abs(a.lightnessF() - b.lightnessF());
}

} // namespace

class TestHiDpi : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void glyphsAreDrawnForTheDensityAndShowOnDark();
    void pointStrokesAreAWholeLogicalPixel();
    void listTextShowsOnItsLightGround();

private:
    TScopedConfigHome FHome;
    QTemporaryDir FDir;
    std::unique_ptr<Tmainform> FForm;
};

void TestHiDpi::initTestCase()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(DarkPalette());
    StoreStartupTip(false);
    FForm = std::make_unique<Tmainform>();
    FForm->show();
    QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
    QCOMPARE(FForm->devicePixelRatioF(), 2.0);
    // A white chart with a point on it.
    FIBITMAP* dib = FreeImage_Allocate(120, 90, 24);
    for (int y = 0; y < 90; ++y)
        std::fill_n(FreeImage_GetScanLine(dib, y), FreeImage_GetLine(dib), BYTE(255));
    const QString chart = FDir.filePath(QStringLiteral("chart.png"));
    QVERIFY(FreeImage_Save(FIF_PNG, dib, QFile::encodeName(chart).constData(), 0));
    FreeImage_Unload(dib);
    QVERIFY(Drive(*FForm).LoadImageFile(chart));
    TQuillonView& view = *Drive(*FForm).QuillonView();
    view.SetZoom(1.0f);
    view.SetMappingRect({0, 0, 119, 89});
    view.AddSite(QStringLiteral("1"), 40, 30);
    QCoreApplication::processEvents();
    const QString shots = QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots");
    QDir().mkpath(shots);
    QVERIFY(FForm->grab().save(shots + QStringLiteral("/window-dark-2x.png")));
}

void TestHiDpi::glyphsAreDrawnForTheDensityAndShowOnDark()
{
    const QColor ground = QApplication::palette().color(QPalette::Window);
    int glyphs = 0;
    // Calibrate's button shows its picture alone, as a widget of the bar.
    QList<QAction*> actions = Drive(*FForm).ActionToolBar1()->actions();
    actions << Drive(*FForm).Action("acCalibrateMode") << Drive(*FForm).Action("acPickDrawing")
            << Drive(*FForm).Action("acFindAxes");
    for (QAction* a : actions) {
        if (a->icon().isNull())
            continue;
        ++glyphs;
        const QImage image = a->icon().pixmap(QSize(24, 24), 2.0).toImage();
        // Drawn at 48 device pixels, not a 24-pixel picture scaled up.
        QCOMPARE(image.size(), QSize(48, 48));
        int drawn = 0, showing = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.alpha() < 200)
                    continue;
                ++drawn;
                showing += Contrast(c, ground) > 0.25 || c.hsvSaturation() > 120 ? 1 : 0;
            }
        QVERIFY2(drawn > 40, qPrintable(a->iconText()));
        QVERIFY2(showing * 10 >= drawn * 9, qPrintable(a->iconText()));
    }
    QCOMPARE(glyphs, 7);
}

void TestHiDpi::pointStrokesAreAWholeLogicalPixel()
{
    TQuillonView& view = *Drive(*FForm).QuillonView();
    const QImage image = view.grab().toImage();
    QCOMPARE(image.devicePixelRatio(), 2.0);
    // The plus's horizontal arm, a little left of its middle: how many
    // device rows its colour covers.
    const QPoint middle = view.mapFrom(&view, QPoint(40, 30)) * 2;
    int rows = 0;
    for (int dy = -4; dy <= 4; ++dy) {
        const QColor c = image.pixelColor(middle.x() - 4, middle.y() + dy);
        rows += Contrast(c, Qt::white) > 0.2 ? 1 : 0;
    }
    QVERIFY2(rows >= 2, qPrintable(QString::number(rows)));
}

// Not white on white: the rendered cell shows its text in contrast.
void TestHiDpi::listTextShowsOnItsLightGround()
{
    QTableView& list = *Drive(*FForm).ListView();
    const QImage shot = list.viewport()->grab(list.visualRect(Drive(*FForm).ListModel()->index(0, 3))).toImage();
    int lightest = 0;
    int darkest = 255;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const int l = QColor(shot.pixel(x, y)).lightness();
            lightest = std::max(lightest, l);
            darkest = std::min(darkest, l);
        }
    QVERIFY2(lightest - darkest > 150, qPrintable(QStringLiteral("%1 to %2").arg(darkest).arg(lightest)));
}

int main(int argc, char** argv)
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestHiDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_hidpi.moc"
