#include "image/FreeBitmap.h"

#include "TestFiles.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QtTest>

namespace {

// A 24-bit picture whose pixel (x, y), counted from the top, has the given colour.
FIBITMAP* MakeRgb(int width, int height, const std::function<QRgb(int, int)>& colour)
{
    FIBITMAP* dib = FreeImage_Allocate(width, height, 24);
    for (int y = 0; y < height; ++y) {
        BYTE* line = FreeImage_GetScanLine(dib, height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const QRgb c = colour(x, y);
            line[3 * x + FI_RGBA_RED] = qRed(c);
            line[3 * x + FI_RGBA_GREEN] = qGreen(c);
            line[3 * x + FI_RGBA_BLUE] = qBlue(c);
        }
    }
    return dib;
}

QString Save(FIBITMAP* dib, FREE_IMAGE_FORMAT format, const QString& path)
{
    const bool saved = FreeImage_Save(format, dib, QFile::encodeName(path).constData(), 0);
    FreeImage_Unload(dib);
    return saved ? path : QString();
}

QRgb Quadrant(int x, int y)
{
    static const QRgb colours[4] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)};
    return colours[(y > 0 ? 2 : 0) + (x > 0 ? 1 : 0)];
}

QImage Render(TFreeWinBitmap& image, const TRect& rect, const TRect& part, QSize size)
{
    QImage out(size, QImage::Format_RGB32);
    out.fill(qRgb(1, 2, 3));
    QPainter painter(&out);
    image.Draw(painter, rect, part);
    return out;
}

} // namespace

class TestFreeBitmap : public QObject {
    Q_OBJECT
private slots:
    void newDocumentIsEmpty();
    void loadsPngAndBmp();
    void refusedFormatKeepsEverything();
    void truncatedFileWithKnownExtensionEmptiesDocument();
    void setSizeWritesGreyPalette();
    void flipsAndInversionRoundTrip();
    void emptyDocumentRefusesTransforms();
    void drawStretchesNearestNeighbour();
    void drawOnlyThePartAsked();
    void drawsPalettedDepths();
    void drawsSixteenBitGreyConverted();
    void drawsSixteenBitRgb();
    void drawsTransparentComposited();
    void displayCopyFollowsChanges();
    void drawZoomedByTheClickRule();
    void drawZoomedOnlyThePartAsked();

private:
    QTemporaryDir FDir;
    QString Path(const QString& name) const { return FDir.filePath(name); }
};

void TestFreeBitmap::newDocumentIsEmpty()
{
    TFreeWinBitmap image;
    QVERIFY(!image.IsValid());
    QCOMPARE(image.GetWidth(), 0);
    QCOMPARE(image.GetHeight(), 0);
    QImage out(4, 4, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter painter(&out);
    image.Draw(painter, {0, 0, 4, 4});
    painter.end();
    QCOMPARE(out.pixel(0, 0), qRgb(255, 255, 255));
}

void TestFreeBitmap::loadsPngAndBmp()
{
    for (const auto& [format, name] : {std::pair{FIF_PNG, "a.png"}, std::pair{FIF_BMP, "a.bmp"}}) {
        const QString path = Save(MakeRgb(30, 20, Quadrant), format, Path(name));
        QVERIFY(!path.isEmpty());
        TFreeWinBitmap image;
        int changes = 0;
        image.OnChange = [&](TFreeObject* sender) {
            QCOMPARE(sender, &image);
            ++changes;
        };
        QVERIFY(image.Load(path));
        QCOMPARE(image.GetWidth(), 30);
        QCOMPARE(image.GetHeight(), 20);
        QCOMPARE(changes, 1);
    }
    // Content decides, not the name: a PNG called .bmp still loads.
    QVERIFY(QFile::copy(Path("a.png"), Path("png-named.bmp")));
    TFreeWinBitmap image;
    QVERIFY(image.Load(Path("png-named.bmp")));
    QCOMPARE(FreeImage_GetBPP(image.GetDib()), 24u);
}

void TestFreeBitmap::refusedFormatKeepsEverything()
{
    TFreeWinBitmap image;
    QVERIFY(image.Load(Save(MakeRgb(7, 5, Quadrant), FIF_PNG, Path("keep.png"))));
    FIBITMAP* before = image.GetDib();
    int changes = 0;
    image.OnChange = [&](TFreeObject*) { ++changes; };
    QByteArray noise(512, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 37 + 11) % 251);
    WriteTextFile(Path("noise.xyz"), noise);
    QVERIFY(!image.Load(Path("noise.xyz")));
    QVERIFY(!image.Load(Path("missing-file")));
    QCOMPARE(image.GetDib(), before);
    QCOMPARE(image.GetWidth(), 7);
    QCOMPARE(image.GetHeight(), 5);
    QCOMPARE(changes, 0);
}

void TestFreeBitmap::truncatedFileWithKnownExtensionEmptiesDocument()
{
    const QString full = Save(MakeRgb(64, 64, Quadrant), FIF_PNG, Path("full.png"));
    // Cut before the signature ends: the content is no longer recognised,
    // but the extension still names a readable format.
    WriteTextFile(Path("cut.png"), ReadTextFile(full).left(6));
    TFreeWinBitmap image;
    QVERIFY(image.Load(full));
    int changes = 0;
    image.OnChange = [&](TFreeObject*) { ++changes; };
    QVERIFY(!image.Load(Path("cut.png")));
    QVERIFY(!image.IsValid());
    QCOMPARE(image.GetWidth(), 0);
    QCOMPARE(changes, 1);
}

void TestFreeBitmap::setSizeWritesGreyPalette()
{
    TFreeWinBitmap image(FIT_BITMAP, 10, 4, 8);
    QVERIFY(image.IsValid());
    QCOMPARE(image.GetWidth(), 10);
    const RGBQUAD* palette = FreeImage_GetPalette(image.GetDib());
    for (int i : {0, 1, 128, 255}) {
        QCOMPARE(int(palette[i].rgbRed), i);
        QCOMPARE(int(palette[i].rgbGreen), i);
        QCOMPARE(int(palette[i].rgbBlue), i);
    }
    QVERIFY(image.SetSize(FIT_BITMAP, 3, 3, 4));
    QCOMPARE(int(FreeImage_GetPalette(image.GetDib())[15].rgbRed), 15);
    // Nothing of zero size is made.
    TFreeWinBitmap none(FIT_BITMAP, 0, 5, 8);
    QVERIFY(!none.IsValid());
}

void TestFreeBitmap::flipsAndInversionRoundTrip()
{
    TFreeWinBitmap image;
    QVERIFY(image.Load(Save(MakeRgb(2, 2, Quadrant), FIF_PNG, Path("quad.png"))));
    const QImage original = Render(image, {0, 0, 2, 2}, {0, 0, 2, 2}, {2, 2});
    int changes = 0;
    image.OnChange = [&](TFreeObject*) { ++changes; };

    QVERIFY(image.FlipHorizontal());
    const QImage flipped = Render(image, {0, 0, 2, 2}, {0, 0, 2, 2}, {2, 2});
    QCOMPARE(flipped.pixel(0, 0), original.pixel(1, 0));
    QVERIFY(image.FlipHorizontal());
    QCOMPARE(Render(image, {0, 0, 2, 2}, {0, 0, 2, 2}, {2, 2}), original);

    QVERIFY(image.FlipVertical());
    QCOMPARE(Render(image, {0, 0, 2, 2}, {0, 0, 2, 2}, {2, 2}).pixel(0, 0), original.pixel(0, 1));
    QVERIFY(image.FlipVertical());

    QVERIFY(image.Invert());
    QCOMPARE(Render(image, {0, 0, 2, 2}, {0, 0, 2, 2}, {2, 2}).pixel(0, 0), qRgb(0, 255, 255));
    QVERIFY(image.Invert());
    QCOMPARE(Render(image, {0, 0, 2, 2}, {0, 0, 2, 2}, {2, 2}), original);
    QCOMPARE(changes, 6);
}

void TestFreeBitmap::emptyDocumentRefusesTransforms()
{
    TFreeWinBitmap image;
    int changes = 0;
    image.OnChange = [&](TFreeObject*) { ++changes; };
    QVERIFY(!image.FlipHorizontal());
    QVERIFY(!image.FlipVertical());
    QVERIFY(!image.Invert());
    QCOMPARE(changes, 0);
}

void TestFreeBitmap::drawStretchesNearestNeighbour()
{
    TFreeWinBitmap image;
    QVERIFY(image.Load(Save(MakeRgb(2, 2, Quadrant), FIF_PNG, Path("stretch.png"))));
    // Twice as wide and three times as high: every pixel repeated, no blending.
    const QImage out = Render(image, {0, 0, 4, 6}, {0, 0, 4, 6}, {4, 6});
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 4; ++x)
            QCOMPARE(out.pixel(x, y), Quadrant(x / 2, y / 3));
    // Offset destination: nothing is drawn outside it.
    const QImage moved = Render(image, {1, 1, 3, 3}, {1, 1, 3, 3}, {4, 4});
    QCOMPARE(moved.pixel(0, 0), qRgb(1, 2, 3));
    QCOMPARE(moved.pixel(1, 1), Quadrant(0, 0));
    QCOMPARE(moved.pixel(2, 2), Quadrant(1, 1));
    QCOMPARE(moved.pixel(3, 3), qRgb(1, 2, 3));
    // Shrinking drops rows and columns rather than averaging them.
    TFreeWinBitmap stripes;
    QVERIFY(stripes.Load(Save(MakeRgb(4, 1, [](int x, int) { return x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0); }),
                              FIF_PNG, Path("stripes.png"))));
    const QImage half = Render(stripes, {0, 0, 2, 1}, {0, 0, 2, 1}, {2, 1});
    QVERIFY(half.pixel(0, 0) == qRgb(0, 0, 0) || half.pixel(0, 0) == qRgb(255, 255, 255));
    QCOMPARE(half.pixel(0, 0), half.pixel(1, 0));
}

void TestFreeBitmap::drawOnlyThePartAsked()
{
    TFreeWinBitmap image;
    QVERIFY(image.Load(Save(MakeRgb(2, 2, Quadrant), FIF_PNG, Path("part.png"))));
    const QImage out = Render(image, {0, 0, 8, 8}, {4, 0, 8, 4}, {8, 8});
    QCOMPARE(out.pixel(5, 1), Quadrant(1, 0));
    QCOMPARE(out.pixel(3, 1), qRgb(1, 2, 3));
    QCOMPARE(out.pixel(5, 5), qRgb(1, 2, 3));
    // The same pixels as drawing the whole and cutting out the part.
    const QImage whole = Render(image, {0, 0, 8, 8}, {0, 0, 8, 8}, {8, 8});
    QCOMPARE(out.copy(4, 0, 4, 4), whole.copy(4, 0, 4, 4));
    // A translated painter (a scrolled view) samples the same pixels.
    QImage scrolled(4, 4, QImage::Format_RGB32);
    QPainter painter(&scrolled);
    painter.translate(-4, 0);
    image.Draw(painter, {0, 0, 8, 8}, {4, 0, 8, 4});
    painter.end();
    QCOMPARE(scrolled, whole.copy(4, 0, 4, 4));
}

void TestFreeBitmap::drawsPalettedDepths()
{
    for (int bpp : {1, 4, 8}) {
        FIBITMAP* dib = FreeImage_Allocate(2, 1, bpp);
        RGBQUAD* palette = FreeImage_GetPalette(dib);
        palette[0] = {10, 20, 30, 0};
        palette[1] = {200, 100, 50, 0};
        BYTE index = 1;
        FreeImage_SetPixelIndex(dib, 1, 0, &index);
        index = 0;
        FreeImage_SetPixelIndex(dib, 0, 0, &index);
        const QString path = Save(dib, FIF_BMP, Path(QStringLiteral("pal%1.bmp").arg(bpp)));
        TFreeWinBitmap image;
        QVERIFY(image.Load(path));
        const QImage out = Render(image, {0, 0, 2, 1}, {0, 0, 2, 1}, {2, 1});
        QCOMPARE(out.pixel(0, 0), qRgb(30, 20, 10));
        QCOMPARE(out.pixel(1, 0), qRgb(50, 100, 200));
        QVERIFY(!image.HasDisplayCopy());
    }
}

void TestFreeBitmap::drawsSixteenBitGreyConverted()
{
    FIBITMAP* dib = FreeImage_AllocateT(FIT_UINT16, 3, 1);
    auto* line = reinterpret_cast<WORD*>(FreeImage_GetScanLine(dib, 0));
    line[0] = 0;
    line[1] = 1000;
    line[2] = 2000;
    const QString path = Save(dib, FIF_TIFF, Path("grey16.tif"));
    QVERIFY(!path.isEmpty());
    TFreeWinBitmap image;
    QVERIFY(image.Load(path));
    QCOMPARE(FreeImage_GetImageType(image.GetDib()), FIT_UINT16);
    const QImage out = Render(image, {0, 0, 3, 1}, {0, 0, 3, 1}, {3, 1});
    QVERIFY(image.HasDisplayCopy());
    // Scaled linearly from the smallest to the largest value.
    QCOMPARE(out.pixel(0, 0), qRgb(0, 0, 0));
    QVERIFY(qAbs(qGray(out.pixel(1, 0)) - 128) <= 1);
    QCOMPARE(out.pixel(2, 0), qRgb(255, 255, 255));
}

void TestFreeBitmap::drawsSixteenBitRgb()
{
    FIBITMAP* dib = FreeImage_AllocateT(FIT_RGB16, 1, 1);
    auto* px = reinterpret_cast<FIRGB16*>(FreeImage_GetScanLine(dib, 0));
    *px = {65535, 0, 32768};
    const QString path = Save(dib, FIF_TIFF, Path("rgb16.tif"));
    TFreeWinBitmap image;
    QVERIFY(image.Load(path));
    QCOMPARE(FreeImage_GetImageType(image.GetDib()), FIT_RGB16);
    const QImage out = Render(image, {0, 0, 1, 1}, {0, 0, 1, 1}, {1, 1});
    QCOMPARE(qRed(out.pixel(0, 0)), 255);
    QCOMPARE(qGreen(out.pixel(0, 0)), 0);
    QCOMPARE(qBlue(out.pixel(0, 0)), 128);
}

void TestFreeBitmap::drawsTransparentComposited()
{
    FIBITMAP* dib = FreeImage_Allocate(2, 1, 32);
    BYTE* line = FreeImage_GetScanLine(dib, 0);
    const BYTE opaqueRed[4] = {0, 0, 255, 255};     // B, G, R, A
    const BYTE clearGreen[4] = {0, 255, 0, 0};
    std::memcpy(line, opaqueRed, 4);
    std::memcpy(line + 4, clearGreen, 4);
    const QString path = Save(dib, FIF_PNG, Path("alpha.png"));
    TFreeWinBitmap image;
    QVERIFY(image.Load(path));
    QVERIFY(FreeImage_IsTransparent(image.GetDib()));
    QImage out(2, 1, QImage::Format_RGB32);
    QPainter painter(&out);
    const RGBQUAD white{255, 255, 255, 0};
    image.DrawEx(painter, {0, 0, 2, 1}, false, &white, nullptr, {0, 0, 2, 1});
    painter.end();
    QVERIFY(image.HasDisplayCopy());
    QCOMPARE(out.pixel(0, 0), qRgb(255, 0, 0));
    QCOMPARE(out.pixel(1, 0), qRgb(255, 255, 255));
}

void TestFreeBitmap::displayCopyFollowsChanges()
{
    FIBITMAP* dib = FreeImage_AllocateT(FIT_FLOAT, 2, 1);
    auto* line = reinterpret_cast<float*>(FreeImage_GetScanLine(dib, 0));
    line[0] = 0.0f;
    line[1] = 1.0f;
    const QString path = Save(dib, FIF_TIFF, Path("float.tif"));
    TFreeWinBitmap image;
    QVERIFY(image.Load(path));
    FIBITMAP* first = image.DisplaySource();
    QVERIFY(first && first != image.GetDib());
    QCOMPARE(image.DisplaySource(), first); // kept between draws
    QCOMPARE(qGray(Render(image, {0, 0, 2, 1}, {0, 0, 2, 1}, {2, 1}).pixel(0, 0)), 0);
    QVERIFY(image.FlipHorizontal());
    QCOMPARE(qGray(Render(image, {0, 0, 2, 1}, {0, 0, 2, 1}, {2, 1}).pixel(0, 0)), 255);
    // A plain bitmap is drawn straight from the document.
    TFreeWinBitmap plain;
    QVERIFY(plain.Load(Save(MakeRgb(2, 2, Quadrant), FIF_PNG, Path("plain.png"))));
    QCOMPARE(plain.DisplaySource(), plain.GetDib());
}

void TestFreeBitmap::drawZoomedByTheClickRule()
{
    // Column x, row y of the picture in its own colour.
    auto colour = [](int x, int y) { return qRgb(20 + 30 * x, 40 + 60 * y, 7); };
    TFreeWinBitmap image;
    QVERIFY(image.Load(Save(MakeRgb(8, 3, colour), FIF_PNG, Path("zoomed.png"))));
    const QRgb none = qRgb(1, 2, 3);
    // The picture column each client column shows: client / zoom rounded to
    // the nearest, halves up, so that each picture pixel takes as many
    // client pixels as the next; nothing past the last column.
    const struct {
        float zoom;
        std::vector<int> columns;
        std::vector<int> rows;
    } cases[] = {
        {5.0f,
         {0, 0, 0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 7, 7, 7, 7, 7},
         {0, 0, 0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2}},
        {2.0f, {0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7}, {0, 1, 1, 2, 2}},
        {4.0f, {0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 6, 6, 6, 6, 7, 7, 7, 7},
         {0, 0, 1, 1, 1, 1, 2, 2, 2, 2}},
        {0.75f, {0, 1, 3, 4, 5, 7}, {0, 1}},
        {0.5f, {0, 2, 4, 6}, {0, 2}},
        {0.25f, {0, 4}, {0}},
    };
    for (const auto& c : cases) {
        const QString zoom = QString::number(c.zoom);
        const int width = int(c.columns.size());
        const int height = int(c.rows.size());
        QCOMPARE(image.ZoomedRect(c.zoom), QRect(0, 0, width, height));
        QImage out(width + 3, height + 3, QImage::Format_RGB32);
        out.fill(none);
        QPainter painter(&out);
        image.DrawZoomed(painter, c.zoom, {0, 0, out.width(), out.height()});
        painter.end();
        for (int y = 0; y < out.height(); ++y) {
            for (int x = 0; x < out.width(); ++x) {
                const QRgb expected = x < width && y < height ? colour(c.columns[x], c.rows[y]) : none;
                QVERIFY2(out.pixel(x, y) == expected, qPrintable(zoom + QStringLiteral(" at %1,%2").arg(x).arg(y)));
            }
        }
    }
}

void TestFreeBitmap::drawZoomedOnlyThePartAsked()
{
    TFreeWinBitmap image;
    QVERIFY(image.Load(Save(MakeRgb(2, 2, Quadrant), FIF_PNG, Path("zoomed-part.png"))));
    QImage whole(10, 10, QImage::Format_RGB32);
    whole.fill(qRgb(1, 2, 3));
    QImage part = whole;
    QPainter all(&whole);
    image.DrawZoomed(all, 5.0f, {0, 0, 10, 10});
    all.end();
    QPainter some(&part);
    image.DrawZoomed(some, 5.0f, {2, 1, 6, 4});
    some.end();
    QCOMPARE(part.copy(2, 1, 4, 3), whole.copy(2, 1, 4, 3));
    QCOMPARE(part.pixel(1, 1), qRgb(1, 2, 3));
    QCOMPARE(part.pixel(6, 1), qRgb(1, 2, 3));
    QCOMPARE(part.pixel(3, 4), qRgb(1, 2, 3));
    QCOMPARE(whole.pixel(2, 2), Quadrant(0, 0));
    QCOMPARE(whole.pixel(3, 3), Quadrant(1, 1));
    QCOMPARE(whole.pixel(8, 8), qRgb(1, 2, 3)); // past the last pixel
}

QTEST_MAIN(TestFreeBitmap)
#include "test_freebitmap.moc"
