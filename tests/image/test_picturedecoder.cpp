#include "image/FreeBitmap.h"
#include "image/PictureDecoder.h"

#include "TestFiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QtTest>

#include <csignal>
#include <cstring>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

namespace {

QByteArray PngChunk(const QByteArray& type, const QByteArray& data)
{
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s << quint32(data.size());
    out += type + data;
    const QByteArray covered = type + data;
    const auto crc = quint32(crc32(0, reinterpret_cast<const Bytef*>(covered.constData()), uInt(covered.size())));
    QDataStream t(&out, QIODevice::Append);
    t << crc;
    return out;
}

// A PNG whose header claims Width x Height and whose data is a few bytes.
QByteArray ClaimingPng(quint32 width, quint32 height)
{
    QByteArray header;
    QDataStream s(&header, QIODevice::WriteOnly);
    s << width << height << quint8(8) << quint8(2) << quint8(0) << quint8(0) << quint8(0);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header) +
           PngChunk("IDAT", qCompress(QByteArray(16, '\0')).mid(4)) + PngChunk("IEND", {});
}

// An uncompressed 24-bit TIFF with its directory ahead of the pixels, as
// many scanners write it, so that cutting it keeps the directory.
QByteArray DirectoryFirstTiff(quint32 width, quint32 height)
{
    const quint32 stripBytes = width * height * 3;
    const quint32 entries = 9;
    const quint32 depthsAt = 8 + 2 + entries * 12 + 4;
    const quint32 stripAt = depthsAt + 6;
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s << quint8('I') << quint8('I') << quint16(42) << quint32(8) << quint16(entries);
    const auto shortEntry = [&](quint16 tag, quint16 value) {
        s << tag << quint16(3) << quint32(1) << value << quint16(0);
    };
    const auto longEntry = [&](quint16 tag, quint16 type, quint32 count, quint32 value) {
        s << tag << type << count << value;
    };
    shortEntry(256, quint16(width));
    shortEntry(257, quint16(height));
    longEntry(258, 3, 3, depthsAt);
    shortEntry(259, 1);
    shortEntry(262, 2);
    longEntry(273, 4, 1, stripAt);
    shortEntry(277, 3);
    shortEntry(278, quint16(height));
    longEntry(279, 4, 1, stripBytes);
    s << quint32(0) << quint16(8) << quint16(8) << quint16(8);
    for (quint32 i = 0; i < stripBytes; ++i)
        s << quint8(i * 7);
    return out;
}

FIBITMAP* Pattern(int width, int height, int bpp)
{
    FIBITMAP* dib = FreeImage_Allocate(width, height, bpp);
    for (int y = 0; y < height; ++y) {
        BYTE* line = FreeImage_GetScanLine(dib, y);
        for (unsigned i = 0; i < FreeImage_GetLine(dib); ++i)
            line[i] = BYTE(i * 7 + y * 13);
    }
    return dib;
}

} // namespace

class TestPictureDecoder : public QObject {
    Q_OBJECT
private slots:
    void handsBackWhatFreeImageDecodes_data();
    void handsBackWhatFreeImageDecodes();
    void handedBackPixelsAreTheDocuments();
    void misbehavingDecodersAreEnded_data();
    void misbehavingDecodersAreEnded();
    void oversizedHeaderRefusedBeforeDecoding();
    void fileThatHoldsNothingOfItsPictureRefused_data();
    void fileThatHoldsNothingOfItsPictureRefused();
    void blindDecodesAreBounded();
    void onlyRegularFilesAreOpened();
    void decodingStartsAtTheFilesFirstByte();
    void damagedPicturesSayWhy_data();
    void damagedPicturesSayWhy();
    void decoderIsReapedOnceItAnswers();

private:
    QTemporaryDir FDir;
    QString Path(const QString& name) const { return FDir.filePath(name); }
    QString Saved(FIBITMAP* dib, FREE_IMAGE_FORMAT format, const QString& name, int flags = 0) const
    {
        const QString path = Path(name);
        const bool saved = FreeImage_Save(format, dib, QFile::encodeName(path).constData(), flags);
        FreeImage_Unload(dib);
        return saved ? path : QString();
    }
};

void TestPictureDecoder::handsBackWhatFreeImageDecodes_data()
{
    QTest::addColumn<QString>("file");
    FIBITMAP* grey = FreeImage_ConvertToGreyscale(Pattern(13, 7, 24));
    QTest::newRow("24-bit png") << Saved(Pattern(13, 7, 24), FIF_PNG, "rgb.png");
    QTest::newRow("8-bit bmp, palette") << Saved(grey, FIF_BMP, "grey.bmp");
    FIBITMAP* rgba = Pattern(9, 5, 32);
    QTest::newRow("32-bit png, alpha") << Saved(rgba, FIF_PNG, "rgba.png");
    FIBITMAP* paletted = FreeImage_ColorQuantize(Pattern(11, 6, 24), FIQ_WUQUANT);
    BYTE alpha[256];
    for (int i = 0; i < 256; ++i)
        alpha[i] = BYTE(255 - i);
    FreeImage_SetTransparencyTable(paletted, alpha, 256);
    RGBQUAD background{10, 20, 30, 0};
    FreeImage_SetBackgroundColor(paletted, &background);
    QTest::newRow("paletted png, transparency table") << Saved(paletted, FIF_PNG, "table.png");
    FIBITMAP* wide = FreeImage_AllocateT(FIT_UINT16, 6, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            reinterpret_cast<WORD*>(FreeImage_GetScanLine(wide, y))[x] = WORD(x * 9000 + y * 77);
    QTest::newRow("16-bit grey tiff") << Saved(wide, FIF_TIFF, "grey16.tif");
    QTest::newRow("jpeg") << Saved(Pattern(16, 16, 24), FIF_JPEG, "a.jpg");
    // Handed over a stretch at a time, the decoder's copy given back behind.
    QTest::newRow("24-bit bmp of several stretches") << Saved(Pattern(4000, 3000, 24), FIF_BMP, "big.bmp");
}

void TestPictureDecoder::handsBackWhatFreeImageDecodes()
{
    QFETCH(QString, file);
    QVERIFY(!file.isEmpty());
    FIBITMAP* bare = FreeImage_Load(FreeImage_GetFileType(QFile::encodeName(file).constData()),
                                    QFile::encodeName(file).constData());
    QVERIFY(bare);
    TDecodedPicture decoded = DecodePicture(file, 0);
    QCOMPARE(decoded.Report.Status, TPictureStatus::Decoded);
    QVERIFY(decoded.Report.Detail.isEmpty());
    FIBITMAP* dib = decoded.Dib;
    QVERIFY(dib);
    QCOMPARE(FreeImage_GetImageType(dib), FreeImage_GetImageType(bare));
    QCOMPARE(FreeImage_GetWidth(dib), FreeImage_GetWidth(bare));
    QCOMPARE(FreeImage_GetHeight(dib), FreeImage_GetHeight(bare));
    QCOMPARE(FreeImage_GetBPP(dib), FreeImage_GetBPP(bare));
    QCOMPARE(FreeImage_GetColorType(dib), FreeImage_GetColorType(bare));
    for (unsigned y = 0; y < FreeImage_GetHeight(bare); ++y)
        QVERIFY(std::memcmp(FreeImage_GetScanLine(dib, int(y)), FreeImage_GetScanLine(bare, int(y)),
                            FreeImage_GetLine(bare)) == 0);
    QCOMPARE(FreeImage_GetColorsUsed(dib), FreeImage_GetColorsUsed(bare));
    if (FreeImage_GetPalette(bare))
        QVERIFY(std::memcmp(FreeImage_GetPalette(dib), FreeImage_GetPalette(bare),
                            FreeImage_GetColorsUsed(bare) * sizeof(RGBQUAD)) == 0);
    QCOMPARE(FreeImage_IsTransparent(dib), FreeImage_IsTransparent(bare));
    QCOMPARE(FreeImage_GetTransparencyCount(dib), FreeImage_GetTransparencyCount(bare));
    if (FreeImage_GetTransparencyCount(bare))
        QVERIFY(std::memcmp(FreeImage_GetTransparencyTable(dib), FreeImage_GetTransparencyTable(bare),
                            FreeImage_GetTransparencyCount(bare)) == 0);
    QCOMPARE(FreeImage_HasBackgroundColor(dib), FreeImage_HasBackgroundColor(bare));
    RGBQUAD a{}, b{};
    if (FreeImage_HasBackgroundColor(bare)) {
        FreeImage_GetBackgroundColor(dib, &a);
        FreeImage_GetBackgroundColor(bare, &b);
        QVERIFY(std::memcmp(&a, &b, 3) == 0);
    }
    FreeImage_Unload(dib);
    FreeImage_Unload(bare);
}

void TestPictureDecoder::handedBackPixelsAreTheDocuments()
{
    const QString file = Saved(Pattern(20, 10, 24), FIF_BMP, "doc.bmp");
    TFreeWinBitmap first;
    QVERIFY(first.Load(file));
    // The shared pixels move with the image and stay writable.
    TFreeWinBitmap second;
    second.TakeImage(first);
    QVERIFY(!first.IsValid());
    const BYTE before = FreeImage_GetScanLine(second.GetDib(), 0)[0];
    QVERIFY(second.FlipVertical());
    QVERIFY(second.FlipVertical());
    QVERIFY(second.Invert());
    QCOMPARE(FreeImage_GetScanLine(second.GetDib(), 0)[0], BYTE(255 - before));
    FIBITMAP* clone = FreeImage_Clone(second.GetDib());
    second.SetSize(FIT_BITMAP, 2, 2, 24); // lets the mapping go
    QCOMPARE(FreeImage_GetScanLine(clone, 0)[0], BYTE(255 - before));
    FreeImage_Unload(clone);
}

// A decoder that faults, stalls or tries what it may not ends there, said
// so; this process goes on.
void TestPictureDecoder::misbehavingDecodersAreEnded_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("detail");
    QTest::newRow("fault") << "fault" << "the decoder failed (Segmentation fault)";
    QTest::newRow("stopped") << "stop" << "the decoder gave no answer within a second";
    QTest::newRow("forbidden") << "forbidden" << "the decoder tried what no decoder may do, and was stopped";
}

void TestPictureDecoder::misbehavingDecodersAreEnded()
{
    QFETCH(QString, name);
    QFETCH(QString, detail);
    const QString file = Saved(Pattern(3, 3, 24), FIF_PNG, name);
    const TDecodedPicture decoded = DecodePicture(file, 0, TPictureForm::AsStored, {QUILLON_DECODER_DOUBLE, 1});
    QCOMPARE(decoded.Report.Status, TPictureStatus::Failed);
    QVERIFY(!decoded.Dib);
    QCOMPARE(decoded.Report.Detail, detail);
    // The same program decodes a picture it is not told to misbehave on.
    const TDecodedPicture fine =
        DecodePicture(Saved(Pattern(3, 3, 24), FIF_PNG, "fine.png"), 0, TPictureForm::AsStored, {QUILLON_DECODER_DOUBLE, 1});
    QVERIFY(fine.Dib);
    FreeImage_Unload(fine.Dib);
}

void TestPictureDecoder::oversizedHeaderRefusedBeforeDecoding()
{
    WriteTextFile(Path("bomb.png"), ClaimingPng(30000, 30000));
    QElapsedTimer clock;
    clock.start();
    const TDecodedPicture decoded = DecodePicture(Path("bomb.png"), 0);
    QCOMPARE(decoded.Report.Status, TPictureStatus::TooLarge);
    QCOMPARE(decoded.Report.Width, 30000);
    QCOMPARE(decoded.Report.Height, 30000);
    QCOMPARE(decoded.Report.Bytes, std::int64_t(90000) * 30000);
    QCOMPARE(decoded.Report.Limit, PictureByteLimit());
    QVERIFY(PictureByteLimit() <= (std::int64_t(3) << 29));
    QVERIFY(!decoded.Dib);
    // A BMP 1,074,266,120 pixels wide: its row length wraps in FreeImage's
    // 32-bit pitch, and must not pass the check as a small picture.
    WriteTextFile(Path("wide.bmp"), QByteArray("\x42\x4d\xc6\x00\x00\xf6\x5d\x00\x00\x00\x36\x00\x00\xc8\x28\x00\x00\x00\x08\x00\x08\x40\x06\x00\x00\x00\x01\x00\x18\x00\x00\x00\x00\x00\x00\x00\x0b\x13\x00\x13\x00\x00\x00\x00\x0b\x13\x00\x00\x00\x00\x00\x00\x0a\x14\x1e\x28\x33\x3c\x46\x50\x5a\x64\xaa\x64\x78", 65));
    const TDecodedPicture wide = DecodePicture(Path("wide.bmp"), 0);
    QCOMPARE(wide.Report.Status, TPictureStatus::TooLarge);
    QCOMPARE(wide.Report.Width, 1074266120);
}

void TestPictureDecoder::fileThatHoldsNothingOfItsPictureRefused_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("detail");
    // 20000 x 20000 at 24 bits is under the limit, but the file ends after
    // its header: there is nothing to show.
    QByteArray bmp = "BM";
    QByteArray rest(52, '\0');
    auto put = [&](int at, quint32 v, int size) {
        for (int i = 0; i < size; ++i)
            rest[at - 2 + i] = char((v >> (8 * i)) & 0xFF);
    };
    put(2, 102, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, 20000, 4);
    put(22, 20000, 4);
    put(26, 1, 2);
    put(28, 24, 2);
    bmp += rest + QByteArray(48, '\x7f');
    WriteTextFile(Path("bomb.bmp"), bmp);
    QTest::newRow("bmp cut after its header")
        << Path("bomb.bmp") << QStringLiteral("the file holds only 102 bytes of a 20000 x 20000 picture");
    // A run-length file a thousandth of its picture, whose decoder does not
    // notice that the file ended: the rest would be stray memory.
    QByteArray pcx(128, '\0');
    pcx[0] = 10;
    pcx[1] = 5;
    pcx[2] = 1;
    pcx[3] = 8;
    pcx[8] = char(0xFF); // x from 0 to 65535
    pcx[9] = char(0xFF);
    pcx[10] = 23; // y from 0 to 23
    pcx[65] = 1;
    pcx[68] = 1;
    for (int i = 0; i < 8; ++i)
        pcx += QByteArray("\xC1\x00", 2);
    pcx += '\0';
    WriteTextFile(Path("stray.pcx"), pcx);
    QTest::newRow("pcx of stray memory")
        << Path("stray.pcx") << QStringLiteral("the file holds only 145 bytes of a 65536 x 24 picture");
    // Run lengths at their best fall far short of that.
    FIBITMAP* flat = FreeImage_Allocate(1500, 1500, 24);
    QTest::newRow("uniform run-length tga") << Saved(flat, FIF_TARGA, "flat.tga", TARGA_SAVE_RLE) << QString();
}

void TestPictureDecoder::fileThatHoldsNothingOfItsPictureRefused()
{
    QFETCH(QString, file);
    QFETCH(QString, detail);
    const TDecodedPicture decoded = DecodePicture(file, 0);
    QCOMPARE(decoded.Report.Detail, detail);
    QCOMPARE(decoded.Report.Status, detail.isEmpty() ? TPictureStatus::Decoded : TPictureStatus::Failed);
    QCOMPARE(bool(decoded.Dib), detail.isEmpty());
    if (decoded.Dib)
        FreeImage_Unload(decoded.Dib);
}

// A format whose size is read only with its pixels: a 576-byte file that
// claims 65535 x 65535 x 4 meets the decoder's memory limit, not this
// machine's.
void TestPictureDecoder::blindDecodesAreBounded()
{
    QByteArray sgi(576, '\0');
    const unsigned char header[] = {0x01, 0xDA, 0, 1, 0, 3, 0xFF, 0xFF, 0xFF, 0xFF, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0xFF};
    std::memcpy(sgi.data(), header, sizeof header);
    WriteTextFile(Path("claims.sgi"), sgi);
    const TDecodedPicture decoded = DecodePicture(Path("claims.sgi"), 0);
    QCOMPARE(decoded.Report.Status, TPictureStatus::Failed);
    QVERIFY(!decoded.Dib);
}

void TestPictureDecoder::onlyRegularFilesAreOpened()
{
    const QString fifo = Path("fifo.png");
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // Were the FIFO opened for reading, this would wait for a writer forever.
    for (const QString& path : {fifo, QStringLiteral("/dev/zero"), FDir.path()}) {
        const TDecodedPicture decoded = DecodePicture(path, 0);
        QCOMPARE(decoded.Report.Status, TPictureStatus::NotAFile);
        QCOMPARE(decoded.Report.Detail, QStringLiteral("it is not a regular file"));
    }
    const TDecodedPicture missing = DecodePicture(Path("missing.png"), 0);
    QCOMPARE(missing.Report.Status, TPictureStatus::NotAFile);
    QCOMPARE(missing.Report.Detail, QStringLiteral("No such file or directory"));
}

void TestPictureDecoder::decodingStartsAtTheFilesFirstByte()
{
    // A descriptor whose owner read it to the end: the decoder shares its
    // offset, and must not start from there.
    const QString file = Saved(Pattern(6, 4, 24), FIF_JPEG, "offset.jpg");
    TPictureReport report;
    const int fd = OpenPictureFile(file, report);
    QVERIFY(fd >= 0);
    QVERIFY(lseek(fd, 0, SEEK_END) > 0);
    const TDecodedFile decoded = DecodePictureFile(fd, QStringLiteral("no extension"), 0, PictureByteLimit());
    ::close(fd);
    QCOMPARE(decoded.Report.Status, TPictureStatus::Decoded);
    QVERIFY(decoded.Dib);
    QCOMPARE(FreeImage_GetWidth(decoded.Dib), 6u);
    FreeImage_Unload(decoded.Dib);
}

void TestPictureDecoder::damagedPicturesSayWhy_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("words");
    const auto cut = [&](const QString& whole, const QString& name) {
        const QByteArray bytes = ReadTextFile(whole);
        WriteTextFile(Path(name), bytes.left(bytes.size() * 2 / 3));
        return Path(name);
    };
    QTest::newRow("bmp") << cut(Saved(Pattern(40, 30, 24), FIF_BMP, "whole.bmp"), "cut.bmp")
                         << "the file ends before the picture does";
    QTest::newRow("jpeg") << cut(Saved(Pattern(64, 64, 24), FIF_JPEG, "whole.jpg"), "cut.jpg")
                          << "Premature end of JPEG file";
    WriteTextFile(Path("whole.tif"), DirectoryFirstTiff(64, 64));
    QTest::newRow("tiff") << cut(Path("whole.tif"), "cut.tif") << "the file ends before the picture does";
    QTest::newRow("whole tiff") << Path("whole.tif") << QString();
}

void TestPictureDecoder::damagedPicturesSayWhy()
{
    QFETCH(QString, file);
    QFETCH(QString, words);
    TDecodedPicture decoded = DecodePicture(file, 0);
    // The whole file beside the cut ones: nothing said where nothing is wrong.
    QCOMPARE(decoded.Report.Status, words.isEmpty() ? TPictureStatus::Decoded : TPictureStatus::Damaged);
    QVERIFY2(words.isEmpty() ? decoded.Report.Detail.isEmpty() : decoded.Report.Detail.contains(words),
             qPrintable(decoded.Report.Detail));
    // What was decoded is still there to show.
    QVERIFY(decoded.Dib);
    FreeImage_Unload(decoded.Dib);
}

// No thread is left behind to wait for the decoder, and no decoder is left
// a zombie while its picture is shown, nor after one that was refused.
void TestPictureDecoder::decoderIsReapedOnceItAnswers()
{
    const QString file = Saved(Pattern(40, 30, 24), FIF_PNG, "reaped.png");
    WriteTextFile(Path("reaped-bomb.png"), ClaimingPng(30000, 30000));
    auto threads = [] { return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(); };
    // Whether some child process is still to be reaped; none is reaped here.
    auto childLeft = [] {
        siginfo_t info{};
        return waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid != 0;
    };
    const qsizetype before = threads();
    TFreeBitmap picture;
    QVERIFY(picture.Load(file));
    QCOMPARE(threads(), before);
    QVERIFY(!childLeft());
    QCOMPARE(DecodePicture(Path("reaped-bomb.png"), 0).Report.Status, TPictureStatus::TooLarge);
    QVERIFY(!childLeft());
}

QTEST_GUILESS_MAIN(TestPictureDecoder)
#include "test_picturedecoder.moc"
