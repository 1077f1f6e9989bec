#include "image/DisplayForm.h"
#include "image/FreeBitmap.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <memory>

namespace {

struct TDibFree {
    void operator()(FIBITMAP* dib) const { FreeImage_Unload(dib); }
};
using TDib = std::unique_ptr<FIBITMAP, TDibFree>;

// Every alpha value over colours that differ by pixel, wider than the
// checkerboard's squares in both directions and not a multiple of them.
TDib Translucent(int width = 45, int height = 37)
{
    TDib dib(FreeImage_Allocate(width, height, 32, FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK));
    for (int y = 0; y < height; ++y) {
        BYTE* line = FreeImage_GetScanLine(dib.get(), y);
        for (int x = 0; x < width; ++x) {
            BYTE* p = line + 4 * x;
            p[FI_RGBA_RED] = BYTE(x * 37 + y);
            p[FI_RGBA_GREEN] = BYTE(y * 11);
            p[FI_RGBA_BLUE] = BYTE(x ^ y);
            p[FI_RGBA_ALPHA] = BYTE((y * width + x) * 7);
        }
    }
    return dib;
}

// Runs of eight that are wholly clear, wholly opaque or mixed, the kinds a
// chart with a clear background is made of.
TDib Blocky(int width, int height)
{
    TDib dib = Translucent(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int kind = (x / 8 + y) % 3;
            FreeImage_GetScanLine(dib.get(), y)[4 * x + FI_RGBA_ALPHA] =
                kind == 0 ? 0 : kind == 1 ? 0xFF : BYTE(x * 37 + y);
        }
    return dib;
}

TDib Opaque(int width, int height)
{
    TDib dib = Translucent(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            FreeImage_GetScanLine(dib.get(), y)[4 * x + FI_RGBA_ALPHA] = 0xFF;
    return dib;
}

// Whether two bitmaps of one size and depth hold the same pixel bytes,
// padding aside.
bool SamePixels(FIBITMAP* a, FIBITMAP* b)
{
    if (FreeImage_GetWidth(a) != FreeImage_GetWidth(b) || FreeImage_GetHeight(a) != FreeImage_GetHeight(b) ||
        FreeImage_GetBPP(a) != FreeImage_GetBPP(b) || FreeImage_GetImageType(a) != FreeImage_GetImageType(b))
        return false;
    const unsigned line = FreeImage_GetLine(a);
    for (unsigned y = 0; y < FreeImage_GetHeight(a); ++y)
        if (std::memcmp(FreeImage_GetScanLine(a, int(y)), FreeImage_GetScanLine(b, int(y)), line) != 0)
            return false;
    return true;
}

} // namespace

class TestDisplayForm : public QObject {
    Q_OBJECT
private slots:
    void compositeRowsIsTheLibrarysComposite();
    void rgb16RowsAreTheLibrarysConversion();
    void transparencyAsTheLibraryTellsIt();
    void shownFormIsWhatTheViewDrew();
    void shownFormKeepsNoCopy();
    void invertingAShownPictureInvertsWhatShows();
    void releasedDisplayCopyIsMadeAgain();
    void replacingKeepsThePictureUnlessTheNewOneIsGood();

private:
    QString Saved(FIBITMAP* dib, FREE_IMAGE_FORMAT format, const char* name);
    QTemporaryDir FDir;
};

QString TestDisplayForm::Saved(FIBITMAP* dib, FREE_IMAGE_FORMAT format, const char* name)
{
    const QString path = FDir.filePath(QString::fromLatin1(name));
    [&] { QVERIFY(FreeImage_Save(format, dib, QFile::encodeName(path).constData(), 0)); }();
    return path;
}

void TestDisplayForm::compositeRowsIsTheLibrarysComposite()
{
    for (const QSize size : {QSize(45, 37), QSize(8, 16), QSize(1, 1), QSize(17, 33), QSize(61, 34)})
    for (const bool blocky : {false, true}) {
        const TDib dib = blocky ? Blocky(size.width(), size.height()) : Translucent(size.width(), size.height());
        const TDib expected(FreeImage_Composite(dib.get(), FALSE, nullptr, nullptr));
        const TDib made(FreeImage_Allocate(size.width(), size.height(), 24));
        // In two runs of rows, as the decoder hands them over.
        const int half = size.height() / 2;
        CompositeRows(dib.get(), 0, half, FreeImage_GetScanLine(made.get(), 0), FreeImage_GetPitch(made.get()));
        CompositeRows(dib.get(), half, size.height(), FreeImage_GetScanLine(made.get(), half),
                      FreeImage_GetPitch(made.get()));
        QVERIFY2(SamePixels(made.get(), expected.get()), qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
    }
}

void TestDisplayForm::rgb16RowsAreTheLibrarysConversion()
{
    const TDib deep(FreeImage_AllocateT(FIT_RGB16, 37, 9));
    for (int y = 0; y < 9; ++y) {
        auto* line = reinterpret_cast<FIRGB16*>(FreeImage_GetScanLine(deep.get(), y));
        for (int x = 0; x < 37; ++x)
            line[x] = {WORD(x * 1789 + y), WORD(65535 - x * 977), WORD(y * 7001 + x * 255)};
    }
    const TDib expected(FreeImage_ConvertTo24Bits(deep.get()));
    const TDib made(FreeImage_Allocate(37, 9, 24));
    QVERIFY(ShownRowByRow(deep.get()));
    ShownRows(deep.get(), 0, 4, FreeImage_GetScanLine(made.get(), 0), FreeImage_GetPitch(made.get()));
    ShownRows(deep.get(), 4, 9, FreeImage_GetScanLine(made.get(), 4), FreeImage_GetPitch(made.get()));
    QVERIFY(SamePixels(made.get(), expected.get()));
}

void TestDisplayForm::transparencyAsTheLibraryTellsIt()
{
    const TDib opaque = Opaque(45, 37);
    QVERIFY(!IsTransparent(opaque.get()));
    QCOMPARE(IsTransparent(opaque.get()), bool(FreeImage_IsTransparent(opaque.get())));
    // One pixel less than opaque, in a block of eight and in the row's tail.
    for (const QPoint at : {QPoint(44, 36), QPoint(3, 0), QPoint(40, 20), QPoint(0, 36)}) {
        FreeImage_GetScanLine(opaque.get(), at.y())[4 * at.x() + FI_RGBA_ALPHA] = 0xFE;
        QVERIFY(IsTransparent(opaque.get()));
        QCOMPARE(IsTransparent(opaque.get()), bool(FreeImage_IsTransparent(opaque.get())));
        FreeImage_GetScanLine(opaque.get(), at.y())[4 * at.x() + FI_RGBA_ALPHA] = 0xFF;
    }
    const TDib paletted(FreeImage_Allocate(5, 5, 8));
    QVERIFY(!IsTransparent(paletted.get()));
    BYTE table[2] = {0xFF, 0x40};
    FreeImage_SetTransparencyTable(paletted.get(), table, 2);
    QCOMPARE(IsTransparent(paletted.get()), bool(FreeImage_IsTransparent(paletted.get())));
    QVERIFY(IsTransparent(paletted.get()));
    QVERIFY(!IsTransparent(nullptr));
}

void TestDisplayForm::shownFormIsWhatTheViewDrew()
{
    // Each kind of picture, shown, equals the copy the view draws from the
    // picture as stored.
    const TDib translucent = Translucent();
    const TDib opaque = Opaque(45, 37);
    const TDib deep(FreeImage_AllocateT(FIT_RGB16, 23, 19));
    for (int y = 0; y < 19; ++y) {
        auto* line = reinterpret_cast<FIRGB16*>(FreeImage_GetScanLine(deep.get(), y));
        for (int x = 0; x < 23; ++x)
            line[x] = {WORD(x * 2800), WORD(y * 3400), WORD((x * y) * 150)};
    }
    const TDib paletted(FreeImage_Allocate(21, 18, 8));
    RGBQUAD* palette = FreeImage_GetPalette(paletted.get());
    for (int i = 0; i < 256; ++i)
        palette[i] = {BYTE(i), BYTE(255 - i), BYTE(i * 3), 0};
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 21; ++x)
            FreeImage_GetScanLine(paletted.get(), y)[x] = BYTE(x * 12 + y);
    BYTE table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = BYTE(i * 5);
    FreeImage_SetTransparencyTable(paletted.get(), table, 256);

    const QList<QPair<QString, FIBITMAP*>> pictures{
        {Saved(translucent.get(), FIF_PNG, "translucent.png"), translucent.get()},
        {Saved(opaque.get(), FIF_PNG, "opaque.png"), opaque.get()},
        {Saved(deep.get(), FIF_TIFF, "deep.tif"), deep.get()},
        {Saved(paletted.get(), FIF_PNG, "paletted.png"), paletted.get()},
    };
    for (const auto& [path, source] : pictures) {
        TFreeWinBitmap stored;
        QVERIFY(stored.Load(path));
        TFreeWinBitmap shown;
        TPictureReport report;
        QVERIFY(shown.Load(path, 0, &report, TPictureForm::AsShown));
        QCOMPARE(report.Status, TPictureStatus::Decoded);
        QCOMPARE(shown.GetWidth(), int(FreeImage_GetWidth(source)));
        QCOMPARE(shown.GetHeight(), int(FreeImage_GetHeight(source)));
        QVERIFY2(SamePixels(shown.GetDib(), stored.DisplaySource()), qPrintable(path));
    }
    // The opaque one keeps its colours exactly, without its alpha.
    TFreeWinBitmap shown;
    QVERIFY(shown.Load(pictures[1].first, 0, nullptr, TPictureForm::AsShown));
    QCOMPARE(FreeImage_GetBPP(shown.GetDib()), 24u);
    const BYTE* in = FreeImage_GetScanLine(opaque.get(), 30) + 4 * 44;
    const BYTE* out = FreeImage_GetScanLine(shown.GetDib(), 30) + 3 * 44;
    QVERIFY(std::memcmp(in, out, 3) == 0);
}

void TestDisplayForm::shownFormKeepsNoCopy()
{
    const TDib translucent = Translucent();
    const QString path = Saved(translucent.get(), FIF_PNG, "nocopy.png");
    TFreeWinBitmap shown;
    QVERIFY(shown.Load(path, 0, nullptr, TPictureForm::AsShown));
    QCOMPARE(FreeImage_GetBPP(shown.GetDib()), 24u);
    QCOMPARE(shown.DisplaySource(), shown.GetDib());
    QVERIFY(!shown.HasDisplayCopy());
    // As stored, the same file is drawn through a composited copy.
    TFreeWinBitmap stored;
    QVERIFY(stored.Load(path));
    QVERIFY(stored.DisplaySource() != stored.GetDib());
    QVERIFY(stored.HasDisplayCopy());
}

void TestDisplayForm::invertingAShownPictureInvertsWhatShows()
{
    const TDib translucent = Translucent();
    const TDib composite(FreeImage_Composite(translucent.get(), FALSE, nullptr, nullptr));
    TFreeWinBitmap shown;
    QVERIFY(shown.Load(Saved(translucent.get(), FIF_PNG, "invert.png"), 0, nullptr, TPictureForm::AsShown));
    QVERIFY(shown.Invert());
    FIBITMAP* drawn = shown.DisplaySource();
    for (int y = 0; y < 37; ++y)
        for (int x = 0; x < 45 * 3; ++x)
            QCOMPARE(int(FreeImage_GetScanLine(drawn, y)[x]), 255 - FreeImage_GetScanLine(composite.get(), y)[x]);
}

void TestDisplayForm::releasedDisplayCopyIsMadeAgain()
{
    TFreeWinBitmap stored;
    QVERIFY(stored.Load(Saved(Translucent().get(), FIF_PNG, "release.png")));
    const TDib expected(FreeImage_Composite(stored.GetDib(), FALSE, nullptr, nullptr));
    QVERIFY(stored.DisplaySource());
    stored.ReleaseDisplayCopy();
    QVERIFY(!stored.HasDisplayCopy());
    FIBITMAP* again = stored.DisplaySource();
    QVERIFY(again != stored.GetDib());
    QVERIFY(SamePixels(again, expected.get()));
}

void TestDisplayForm::replacingKeepsThePictureUnlessTheNewOneIsGood()
{
    TFreeWinBitmap picture;
    QVERIFY(picture.Load(Saved(Translucent().get(), FIF_PNG, "old.png")));
    QVERIFY(picture.DisplaySource() != picture.GetDib());
    FIBITMAP* old = picture.GetDib();
    const QString bad = FDir.filePath(QStringLiteral("bad.png"));
    QFile file(bad);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\x89PNG\r\n\x1a\nnot really", 18));
    file.close();
    QVERIFY(!picture.ReplaceWith(bad).Usable());
    QCOMPARE(picture.GetDib(), old);
    QVERIFY(!picture.HasDisplayCopy());

    const TDib opaque = Opaque(45, 37);
    QVERIFY(picture.ReplaceWith(Saved(opaque.get(), FIF_PNG, "new.png")).Usable());
    QCOMPARE(FreeImage_GetBPP(picture.GetDib()), 24u);
    QCOMPARE(picture.DisplaySource(), picture.GetDib());
}

QTEST_GUILESS_MAIN(TestDisplayForm)
#include "test_displayform.moc"
