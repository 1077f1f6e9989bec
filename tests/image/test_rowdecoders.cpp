// Each row-by-row decoder against the library it stands in for: the same
// record and the same bytes, in this process and in the confined decoder
// program, or no decode at all.
#include "image/DecoderChild.h"
#include "image/RowDecoders.h"

#include <QTemporaryDir>
#include <QtTest>

#include <png.h>
#include <tiffio.h>

#include <cstring>
#include <fcntl.h>
#include <memory>
#include <tuple>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int Width = 45;
constexpr int Height = 29;

// Bytes of a test picture's rows: every value a sample can take turns up,
// alpha included, so opaque, clear and partial pixels all occur.
BYTE Sample(int x, int y)
{
    return BYTE(x * 37 + y * 91 + (x * y) % 7);
}

struct TPngKind {
    int Type;
    int Depth;
    bool Interlaced = false;
    bool Gamma = false;
    bool Transparency = false;
    bool Background = false;
    bool Resolution = false;
};

void WritePng(const QString& path, const TPngKind& kind)
{
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, Width, Height, kind.Depth, kind.Type,
                 kind.Interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_color palette[256];
    for (int i = 0; i < 256; ++i)
        palette[i] = {png_byte(i * 3), png_byte(255 - i), png_byte(i * 11)};
    if (kind.Type == PNG_COLOR_TYPE_PALETTE)
        png_set_PLTE(png, info, palette, 1 << kind.Depth);
    png_byte alphas[4] = {0, 90, 180, 255};
    png_color_16 colour{1, 3, 5, 7, 2};
    if (kind.Transparency)
        png_set_tRNS(png, info, alphas, 4, &colour);
    if (kind.Background)
        png_set_bKGD(png, info, &colour);
    if (kind.Gamma)
        png_set_gAMA(png, info, 0.7);
    if (kind.Resolution)
        png_set_pHYs(png, info, 3780, 2000, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    std::vector<png_byte> row(png_get_rowbytes(png, info));
    for (int pass = png_set_interlace_handling(png); pass > 0; --pass)
        for (int y = 0; y < Height; ++y) {
            for (std::size_t i = 0; i < row.size(); ++i)
                row[i] = Sample(int(i), y);
            png_write_row(png, row.data());
        }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

struct TTiffKind {
    std::uint16_t Photometric;
    std::uint16_t Depth;
    std::uint16_t Samples = 1;
    std::uint16_t Compression = COMPRESSION_NONE;
    std::uint16_t ResolutionUnit = 0; // none written
    bool Tiled = false;
    std::uint16_t RowsPerStrip = 5;
};

void WriteTiff(const QString& path, const TTiffKind& kind)
{
    TIFF* tiff = TIFFOpen(QFile::encodeName(path).constData(), "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, Width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, Height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, kind.Depth);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, kind.Samples);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, kind.Photometric);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, kind.Compression);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    if (kind.Samples == 4) {
        const std::uint16_t alpha = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &alpha);
    }
    // One longer than the map: green is read from its second entry on.
    std::vector<std::uint16_t> map((std::size_t(1) << kind.Depth) + 1);
    for (std::size_t i = 0; i < map.size(); ++i)
        map[i] = std::uint16_t(i * 4099);
    if (kind.Photometric == PHOTOMETRIC_PALETTE)
        TIFFSetField(tiff, TIFFTAG_COLORMAP, map.data(), map.data() + 1, map.data());
    if (kind.ResolutionUnit) {
        TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, kind.ResolutionUnit);
        TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 299.7f);
        TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 150.0f);
    }
    const std::size_t rowBytes = (std::size_t(Width) * kind.Depth * kind.Samples + 7) / 8;
    if (kind.Tiled) {
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, 16);
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, 16);
        std::vector<BYTE> tile(std::size_t(TIFFTileSize(tiff)));
        for (int y = 0; y < Height; y += 16)
            for (int x = 0; x < Width; x += 16) {
                for (std::size_t i = 0; i < tile.size(); ++i)
                    tile[i] = Sample(int(i) + x, y);
                TIFFWriteTile(tiff, tile.data(), std::uint32_t(x), std::uint32_t(y), 0, 0);
            }
    } else {
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, kind.RowsPerStrip);
        std::vector<BYTE> row(rowBytes);
        for (int y = 0; y < Height; ++y) {
            for (std::size_t i = 0; i < row.size(); ++i)
                row[i] = Sample(int(i), y);
            TIFFWriteScanline(tiff, row.data(), std::uint32_t(y), 0);
        }
    }
    TIFFClose(tiff);
}

std::unique_ptr<TDecoderRecord> NewRecord()
{
    return std::make_unique<TDecoderRecord>();
}

QByteArray Contents(int memory)
{
    struct stat info {};
    fstat(memory, &info);
    QByteArray bytes(qsizetype(info.st_size), '\0');
    if (pread(memory, bytes.data(), std::size_t(bytes.size()), 0) != info.st_size)
        return {};
    return bytes;
}

} // namespace

class TestRowDecoders : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void sameAsTheLibrary_data();
    void sameAsTheLibrary();

private:
    QTemporaryDir FDir;
    // Every picture made, and whether a row-by-row decoder takes it.
    struct TFile {
        QString Name;
        QString Path;
        bool Taken;
    };
    QList<TFile> FFiles;
};

void TestRowDecoders::initTestCase()
{
    const auto png = [&](const char* name, const TPngKind& kind, bool taken) {
        const QString path = FDir.filePath(QLatin1String(name) + QStringLiteral(".png"));
        WritePng(path, kind);
        FFiles.append({QString::fromUtf8(name), path, taken});
    };
    for (int depth : {1, 2, 4, 8}) {
        png(qPrintable(QStringLiteral("grey %1").arg(depth)), {PNG_COLOR_TYPE_GRAY, depth}, true);
        png(qPrintable(QStringLiteral("palette %1").arg(depth)), {PNG_COLOR_TYPE_PALETTE, depth}, true);
    }
    png("grey 16", {PNG_COLOR_TYPE_GRAY, 16}, false);
    png("rgb 8", {PNG_COLOR_TYPE_RGB, 8}, true);
    png("rgb 8, gamma and resolution", {PNG_COLOR_TYPE_RGB, 8, false, true, false, false, true}, true);
    png("rgb 16", {PNG_COLOR_TYPE_RGB, 16}, true);
    png("rgb 16, gamma", {PNG_COLOR_TYPE_RGB, 16, false, true}, true);
    png("rgba 8", {PNG_COLOR_TYPE_RGB_ALPHA, 8}, true);
    png("rgba 8, background", {PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false, false, true}, true);
    png("grey and alpha 8", {PNG_COLOR_TYPE_GRAY_ALPHA, 8}, true);
    png("rgba 16", {PNG_COLOR_TYPE_RGB_ALPHA, 16}, false);
    png("grey and alpha 16", {PNG_COLOR_TYPE_GRAY_ALPHA, 16}, false);
    png("rgb 8, interlaced", {PNG_COLOR_TYPE_RGB, 8, true}, false);
    png("palette 8, transparency", {PNG_COLOR_TYPE_PALETTE, 8, false, false, true}, false);
    png("rgb 8, background", {PNG_COLOR_TYPE_RGB, 8, false, false, false, true}, false);
    const auto tiff = [&](const char* name, const TTiffKind& kind, bool taken) {
        const QString path = FDir.filePath(QLatin1String(name) + QStringLiteral(".tif"));
        WriteTiff(path, kind);
        FFiles.append({QString::fromUtf8(name), path, taken});
    };
    tiff("tiff rgb 8", {PHOTOMETRIC_RGB, 8, 3}, true);
    tiff("tiff rgb 8, lzw, dots an inch", {PHOTOMETRIC_RGB, 8, 3, COMPRESSION_LZW, RESUNIT_INCH}, true);
    tiff("tiff rgb 8, deflate, dots a centimetre", {PHOTOMETRIC_RGB, 8, 3, COMPRESSION_ADOBE_DEFLATE, RESUNIT_CENTIMETER}, true);
    tiff("tiff rgb 8, one strip", {PHOTOMETRIC_RGB, 8, 3, COMPRESSION_PACKBITS, RESUNIT_NONE, false, Height}, true);
    tiff("tiff rgb 16", {PHOTOMETRIC_RGB, 16, 3}, true);
    tiff("tiff rgb 16, lzw", {PHOTOMETRIC_RGB, 16, 3, COMPRESSION_LZW}, true);
    tiff("tiff grey 8", {PHOTOMETRIC_MINISBLACK, 8}, true);
    tiff("tiff grey 4", {PHOTOMETRIC_MINISBLACK, 4}, true);
    tiff("tiff black on white, fax", {PHOTOMETRIC_MINISWHITE, 1, 1, COMPRESSION_CCITTFAX4}, true);
    tiff("tiff white on black", {PHOTOMETRIC_MINISBLACK, 1}, true);
    tiff("tiff palette 8", {PHOTOMETRIC_PALETTE, 8}, true);
    tiff("tiff palette 4", {PHOTOMETRIC_PALETTE, 4}, true);
    tiff("tiff grey 16", {PHOTOMETRIC_MINISBLACK, 16}, false);
    tiff("tiff rgba 8", {PHOTOMETRIC_RGB, 8, 4}, false);
    tiff("tiff rgb 8, tiled", {PHOTOMETRIC_RGB, 8, 3, COMPRESSION_NONE, 0, true}, false);
    const auto jpeg = [&](const char* name, FIBITMAP* dib, int flags, bool taken) {
        const QString path = FDir.filePath(QLatin1String(name) + QStringLiteral(".jpg"));
        FreeImage_Save(FIF_JPEG, dib, QFile::encodeName(path).constData(), flags);
        FreeImage_Unload(dib);
        FFiles.append({QString::fromUtf8(name), path, taken});
    };
    const auto picture = [](unsigned bpp) {
        FIBITMAP* dib = FreeImage_Allocate(Width, Height, int(bpp));
        for (int y = 0; y < Height; ++y)
            for (unsigned i = 0; i < FreeImage_GetLine(dib); ++i)
                FreeImage_GetScanLine(dib, y)[i] = Sample(int(i), y);
        if (bpp == 8)
            for (unsigned i = 0; i < 256; ++i)
                FreeImage_GetPalette(dib)[i] = {BYTE(i), BYTE(i), BYTE(i), 0};
        return dib;
    };
    jpeg("jpeg, subsampled", picture(24), JPEG_SUBSAMPLING_420, true);
    FIBITMAP* dense = picture(24);
    FreeImage_SetDotsPerMeterX(dense, 11811);
    FreeImage_SetDotsPerMeterY(dense, 5906);
    jpeg("jpeg, whole colour, dots an inch", dense, JPEG_SUBSAMPLING_444, true);
    jpeg("jpeg, progressive", picture(24), JPEG_PROGRESSIVE, true);
    jpeg("jpeg, grey", picture(8), 0, true);
    FIBITMAP* cmyk = picture(32);
    FreeImage_GetICCProfile(cmyk)->flags |= FIICC_COLOR_IS_CMYK;
    jpeg("jpeg, cmyk", cmyk, 0, true);
    const auto bmp = [&](const char* name, FIBITMAP* dib, bool taken) {
        const QString path = FDir.filePath(QLatin1String(name) + QStringLiteral(".bmp"));
        FreeImage_Save(FIF_BMP, dib, QFile::encodeName(path).constData(), 0);
        FreeImage_Unload(dib);
        FFiles.append({QString::fromUtf8(name), path, taken});
    };
    for (unsigned bpp : {1u, 4u, 8u, 24u})
        bmp(qPrintable(QStringLiteral("bmp %1").arg(bpp)), picture(bpp), true);
    FIBITMAP* coloured = picture(8);
    for (unsigned i = 0; i < 256; ++i)
        FreeImage_GetPalette(coloured)[i] = {BYTE(i * 3), BYTE(255 - i), BYTE(i * 11), BYTE(i)};
    FreeImage_SetDotsPerMeterX(coloured, 3000);
    bmp("bmp 8, colours and resolution", coloured, true);
    bmp("bmp 32", picture(32), false);
    FIBITMAP* runs = picture(8);
    const QString runPath = FDir.filePath(QStringLiteral("bmp 8, runs.bmp"));
    FreeImage_Save(FIF_BMP, runs, QFile::encodeName(runPath).constData(), BMP_SAVE_RLE);
    FreeImage_Unload(runs);
    FFiles.append({QStringLiteral("bmp 8, runs"), runPath, false});
    // Files that end early, or whose tail is lost, as a copy cut off would.
    const auto damaged = [&](const char* name, const char* from, qsizetype lost, bool zeroed) {
        QFile whole(FDir.filePath(QLatin1String(from)));
        QFile cut(FDir.filePath(QLatin1String(name)));
        QVERIFY(whole.open(QIODevice::ReadOnly) && cut.open(QIODevice::WriteOnly));
        const QByteArray bytes = whole.readAll();
        cut.write(bytes.chopped(lost) + (zeroed ? QByteArray(lost, '\0') : QByteArray()));
        FFiles.append({QLatin1String(name), cut.fileName(), false});
    };
    damaged("png, cut short", "rgb 8.png", 40, false);
    damaged("tiff, half zeroed", "tiff rgb 8, lzw, dots an inch.tif", 2000, true);
    damaged("jpeg, cut short", "jpeg, progressive.jpg", 30, false);
    damaged("bmp, cut short", "bmp 24.bmp", 1, false);
}

void TestRowDecoders::sameAsTheLibrary_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("taken");
    for (const TFile& file : FFiles)
        QTest::newRow(qPrintable(file.Name)) << file.Path << file.Taken;
}

void TestRowDecoders::sameAsTheLibrary()
{
    QFETCH(QString, file);
    QFETCH(bool, taken);
    const int picture = open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC);
    const int fastMemory = memfd_create("fast", MFD_CLOEXEC);
    const int libraryMemory = memfd_create("library", MFD_CLOEXEC);
    QVERIFY(picture >= 0 && fastMemory >= 0 && libraryMemory >= 0);
    const auto fast = NewRecord();
    const auto library = NewRecord();
    QCOMPARE(DecodeRowByRow(picture, fastMemory, 0, PictureByteLimit(), *fast), taken);
    DecodeThroughLibrary(picture, libraryMemory, file, 0, TPictureForm::AsShown, *library);
    if (taken) {
        QCOMPARE(library->DetailLength, 0u);
        // Every field the window wraps the pixels by.
        const auto fields = [](const TDecoderRecord& r) {
            return std::tuple(r.Status, r.Width, r.Height, r.Bytes, r.Limit, r.Type, r.Pitch, r.Bpp, r.RedMask,
                              r.GreenMask, r.BlueMask, r.PaletteSize, r.TransparencyCount, r.Transparent,
                              r.HasBackground, r.DotsX, r.DotsY);
        };
        QVERIFY(fields(*fast) == fields(*library));
        QVERIFY(std::memcmp(fast->Palette, library->Palette, sizeof fast->Palette) == 0);
        const QByteArray expected = Contents(libraryMemory);
        QVERIFY(Contents(fastMemory) == expected);
        // And the same from the decoder program, under its system call
        // filter.
        TDecodedPicture confined = DecodePicture(file, 0, TPictureForm::AsShown);
        QCOMPARE(confined.Report.Status, TPictureStatus::Decoded);
        QVERIFY(confined.Dib);
        const QByteArray got(reinterpret_cast<const char*>(FreeImage_GetBits(confined.Dib)),
                             qsizetype(FreeImage_GetPitch(confined.Dib)) * FreeImage_GetHeight(confined.Dib));
        FreeImage_Unload(confined.Dib);
        QVERIFY(got == expected);
    }
    for (int fd : {picture, fastMemory, libraryMemory})
        close(fd);
}

QTEST_GUILESS_MAIN(TestRowDecoders)
#include "test_rowdecoders.moc"
