#include "twain/FerroTwain.h"

#include "fakedsm.h"

#include <QDir>
#include <QTemporaryDir>
#include <QFileInfo>
#include <QtTest>

#include <cstring>
#include <limits>

namespace {

QStringList Log()
{
    return QString::fromLatin1(FakeDsm_Log()).split(u'\n', Qt::SkipEmptyParts);
}

// A component on the fake source manager, manager open.
struct TOpen {
    explicit TOpen(int sources)
    {
        FakeDsm_Reset(sources);
        Twain = std::make_unique<TFerroTwain>();
        Twain->LibraryName = QStringLiteral("libquillon_fakedsm.so");
        Twain->TransferMode = ttmFile;
        Ready = Twain->LoadLibrary() && Twain->LoadSourceManager();
        FakeDsm_ClearLog();
    }
    std::unique_ptr<TFerroTwain> Twain;
    bool Ready = false;
};

// Opens and enables the first source, then delivers MSG_XFERREADY.
TTwainSource* Acquire(TOpen& open)
{
    TTwainSource* source = open.Twain->Source(0);
    source->ShowUI = false;
    source->SetLoaded(true);
    source->SetEnabled(true);
    FakeDsm_ClearLog();
    FakeDsm_Post(0, MSG_XFERREADY);
    QCoreApplication::processEvents();
    return source;
}

} // namespace

class TestFerroTwain : public QObject {
    Q_OBJECT
private slots:
    void pointerListGrowsInBlocks();
    void helpers();
    void identityTextsGroupsAndLanguage();
    void noLibraryInAnyFolder();
    void searchOrder();
    void plantedLibraryIsNeverLoaded();
    void closedManagerAnswersNothing();
    void moreThanTenSources();
    void identicalIdentitiesGiveTheFirst();
    void defaultSource();
    void selection();
    void cancelOnFirstOfThreePending();
    void handlerThatNeverCancels();
    void unknownFormatCode();
    void closeRequestDisablesAndKeepsOpen();
    void refusedEnableCanBeRetried();
    void capabilities();
    void setupFileTransfer();
    void noFileChosenCancelsTheTransfer();
    void cancelAndErrorFromTheSource();
    void sourceThatCameLaterCanBeSelected();
    void nativeAndMemoryTransfers();
    void destroyingClosesEverything();
    void dibReadWithinItsBlock();
};

void TestFerroTwain::pointerListGrowsInBlocks()
{
    TPointerList list;
    QCOMPARE(list.Allocated, 10);
    int values[25];
    for (int& v : values)
        list.Add(&v);
    QCOMPARE(list.Count, 25);
    QCOMPARE(list.Allocated, 30);
    QCOMPARE(list.GetItem(24), &values[24]);
    QCOMPARE(list.GetItem(25), nullptr);
    QCOMPARE(list.GetItem(-1), nullptr);
    list.SetItem(30, &values[0]);
    list.SetCount(-3);
    QCOMPARE(list.Count, 25);
    list.SetCount(300);
    QCOMPARE(list.GetItem(256), nullptr); // above 255 counts as outside
    list.Clear();
    QCOMPARE(list.Count, 0);
    QCOMPARE(list.Allocated, 10);
}

void TestFerroTwain::helpers()
{
    QCOMPARE(Fix32ToFloat(TW_FIX32{-2, 32768}), -1.5);
    QCOMPARE(Fix32ToFloat(TW_FIX32{300, 0}), 300.0);
    QCOMPARE(FindLastDelimiter(QStringLiteral("/a/b.c"), QStringLiteral("/")), 3);
    QCOMPARE(FindLastDelimiter(QStringLiteral("abc"), QStringLiteral("/")), 3);
    QCOMPARE(ExtractDirectory(QStringLiteral("/usr/lib/x.so")), QStringLiteral("/usr/lib/"));
    QString dir = QStringLiteral("/tmp");
    AddTrailingBackslash(dir);
    AddTrailingBackslash(dir);
    QCOMPARE(dir, QStringLiteral("/tmp/"));
}

void TestFerroTwain::identityTextsGroupsAndLanguage()
{
    TTwainIdentity id;
    QCOMPARE(id.ProductName(), QStringLiteral("App product name"));
    QCOMPARE(id.Language(), tlUserLocale);
    QCOMPARE(id.Structure.Version.Language, TW_UINT16(0xFFFF));
    id.SetLanguage(tlDanish);
    QCOMPARE(id.Structure.Version.Language, TW_UINT16(0));
    id.SetLanguage(tlVietnamese);
    QCOMPARE(int(id.Structure.Version.Language), 113);
    id.SetProductName(QString(40, u'x'));
    QCOMPARE(id.ProductName(), QString(32, u'x'));
    QCOMPARE(id.Structure.ProductName[32], '\0');
    id.SetGroups(1 << tgAudio);
    QCOMPARE(id.Structure.SupportedGroups, DG_CONTROL | DG_AUDIO);
    QCOMPARE(id.Groups(), TTwainGroups((1 << tgControl) | (1 << tgAudio)));
    QCOMPARE(id.Structure.ProtocolMinor, TW_UINT16(9));
    TTwainIdentity copy;
    id.Structure.Id = 77;
    copy.Assign(id);
    QCOMPARE(std::memcmp(&copy.Structure, &id.Structure, 156), 0);
}

void TestFerroTwain::noLibraryInAnyFolder()
{
    TFerroTwain twain;
    twain.LibraryName = QStringLiteral("libquillon-nowhere.so");
    QCOMPARE(twain.FindLibraryFolder(), QString());
    QVERIFY(!twain.LoadLibrary());
    QVERIFY(!twain.LibraryLoaded());
    QCOMPARE(twain.SelectSource(), -1);
}

void TestFerroTwain::searchOrder()
{
    // The installed library folder beside the program's bin first, then the
    // program's own folder.
    const QString program = QCoreApplication::applicationDirPath() + u'/';
    const QString installed = QDir::cleanPath(program + QStringLiteral("../lib/quillon")) + u'/';
    const QStringList folders = TrustedLibraryFolders();
    QVERIFY(folders.size() >= 3);
    QCOMPARE(folders[0], installed);
    QCOMPARE(folders[1], program);
    QVERIFY(!folders.contains(QDir::tempPath() + u'/'));
    TFerroTwain twain;
    twain.LibraryName = QStringLiteral("libquillon_fakedsm.so");
    QCOMPARE(twain.FindLibraryFolder(), program);
    // A library in the installed folder wins, unless anyone may write there.
    const bool made = !QFileInfo::exists(installed);
    QVERIFY(QDir().mkpath(installed));
    QVERIFY(QFile::copy(program + twain.LibraryName, installed + twain.LibraryName));
    QFile::setPermissions(installed, QFileDevice::Permissions(0x7777));
    QCOMPARE(twain.FindLibraryFolder(), program);
    QFile::setPermissions(installed, QFileDevice::Permissions(0x7755));
    QCOMPARE(twain.FindLibraryFolder(), installed);
    QVERIFY(twain.LoadLibrary());
    QFile::remove(installed + twain.LibraryName);
    if (made) { // only folders left empty go
        QDir().rmdir(installed);
        QDir().rmdir(QDir::cleanPath(installed + QStringLiteral("..")));
    }
}

void TestFerroTwain::plantedLibraryIsNeverLoaded()
{
    // A library that leaves a marker when loaded, dropped into the current
    // and the temporary folder under the name searched for.
    const QString name = QStringLiteral("libquillon-plantedtest.so");
    QTemporaryDir temp;
    QTemporaryDir current;
    QTemporaryDir marks;
    const QString marker = marks.filePath(QStringLiteral("loaded"));
    QVERIFY(QFile::copy(QStringLiteral(QUILLON_PLANTED), temp.filePath(name)));
    QVERIFY(QFile::copy(QStringLiteral(QUILLON_PLANTED), current.filePath(name)));
    const QByteArray savedTemp = qgetenv("TMPDIR");
    const QString savedCurrent = QDir::currentPath();
    qputenv("TMPDIR", temp.path().toLocal8Bit());
    qputenv("QUILLON_PLANTED_MARKER", marker.toLocal8Bit());
    QDir::setCurrent(current.path());
    TFerroTwain twain;
    twain.LibraryName = name;
    const bool loaded = twain.LoadLibrary();
    const QString found = twain.FindLibraryFolder();
    QDir::setCurrent(savedCurrent);
    qputenv("TMPDIR", savedTemp);
    qunsetenv("QUILLON_PLANTED_MARKER");
    QVERIFY(!loaded);
    QCOMPARE(found, QString());
    QVERIFY(!QFile::exists(marker));
}

void TestFerroTwain::closedManagerAnswersNothing()
{
    FakeDsm_Reset(3);
    TFerroTwain twain;
    twain.LibraryName = QStringLiteral("libquillon_fakedsm.so");
    QVERIFY(twain.LoadLibrary());
    FakeDsm_ClearLog();
    QCOMPARE(twain.GetSourceCount(), 0);
    QCOMPARE(twain.SelectSource(), -1);
    QCOMPARE(twain.Source(0), nullptr);
    QVERIFY(Log().isEmpty());
}

void TestFerroTwain::moreThanTenSources()
{
    TOpen open(13);
    QVERIFY(open.Ready);
    QCOMPARE(open.Twain->GetSourceCount(), 13);
    QCOMPARE(Log().size(), 14); // GETFIRST, 12 GETNEXT, and the one that ends the list
    QCOMPARE(Log().first(), QStringLiteral("IDENTITY GETFIRST"));
    for (int i = 0; i < 13; ++i) {
        QCOMPARE(open.Twain->Source(i)->Index, i);
        QCOMPARE(open.Twain->Source(i)->ProductName(), QStringLiteral("Source %1").arg(i + 1));
        QCOMPARE(open.Twain->Source(i)->TransferMode, ttmFile);
    }
    QCOMPARE(open.Twain->Source(13), nullptr);
    QCOMPARE(open.Twain->Source(-2), nullptr);
    // Enumerated once: the same objects on every later call.
    QCOMPARE(open.Twain->Source(3), open.Twain->Source(3));
}

void TestFerroTwain::identicalIdentitiesGiveTheFirst()
{
    TOpen open(3);
    FakeDsm_SameIdentities();
    FakeDsm_SetUserChoice(2);
    QCOMPARE(open.Twain->SelectSource(), 0);
}

void TestFerroTwain::defaultSource()
{
    TOpen open(4);
    QCOMPARE(open.Twain->Source(-1), open.Twain->Source(3));
    FakeDsm_SetDefaultFails(true);
    QCOMPARE(open.Twain->Source(-1), open.Twain->Source(0));
    TOpen none(0);
    QCOMPARE(none.Twain->Source(-1), nullptr);
}

void TestFerroTwain::selection()
{
    TOpen open(3);
    FakeDsm_SetUserChoice(1);
    QCOMPARE(open.Twain->SelectSource(), 1);
    FakeDsm_SetUserChoice(-1);
    QCOMPARE(open.Twain->SelectSource(), -1);
}

void TestFerroTwain::cancelOnFirstOfThreePending()
{
    TOpen open(1);
    FakeDsm_SetPending(3);
    int setups = 0;
    int files = 0;
    open.Twain->OnSourceSetupFileXfer = [&](void* sender, int index) {
        QCOMPARE(sender, open.Twain.get());
        QCOMPARE(index, 0);
        ++setups;
        QVERIFY(open.Twain->Source(0)->SetupFileTransfer(QStringLiteral("/tmp/scan.bmp"), tfBMP));
    };
    open.Twain->OnSourceFileTransfer = [&](void* sender, int, const TW_STR255& name, TTwainFormat format,
                                           bool& cancel) {
        QCOMPARE(sender, open.Twain->Source(0)); // the source itself
        QCOMPARE(QString::fromLatin1(name), QStringLiteral("/tmp/scan.bmp"));
        QCOMPARE(format, tfBMP);
        ++files;
        cancel = true;
    };
    TTwainSource* source = Acquire(open);
    QCOMPARE(Log(), (QStringList{"EVENT PROCESSEVENT", "SETUPFILEXFER SET", "SETUPFILEXFER GET",
                                 "IMAGEFILEXFER GET", "PENDINGXFERS ENDXFER", "PENDINGXFERS RESET",
                                 "USERINTERFACE DISABLEDS"}));
    QCOMPARE(setups, 1);
    QCOMPARE(files, 1);
    QVERIFY(source->Loaded());
    QVERIFY(!source->Enabled());
}

void TestFerroTwain::handlerThatNeverCancels()
{
    TOpen open(1);
    FakeDsm_SetPending(3);
    int setups = 0;
    int files = 0;
    int disables = 0;
    open.Twain->OnSourceSetupFileXfer = [&](void*, int index) {
        ++setups;
        QVERIFY(open.Twain->Source(index)->SetupFileTransfer(QStringLiteral("/tmp/x.bmp"), tfBMP));
    };
    open.Twain->OnSourceFileTransfer = [&](void*, int, const TW_STR255&, TTwainFormat, bool&) { ++files; };
    open.Twain->OnSourceDisable = [&](void*, int) { ++disables; };
    Acquire(open);
    QCOMPARE(setups, 3);
    QCOMPARE(files, 3);
    QCOMPARE(Log().count(QStringLiteral("PENDINGXFERS ENDXFER")), 3);
    QCOMPARE(Log().count(QStringLiteral("PENDINGXFERS RESET")), 0);
    QCOMPARE(disables, 1);
}

void TestFerroTwain::unknownFormatCode()
{
    TOpen open(1);
    FakeDsm_SetReportedFormat(12);
    TTwainFormat seen = tfBMP;
    open.Twain->OnSourceFileTransfer = [&](void*, int, const TW_STR255&, TTwainFormat format, bool&) {
        seen = format;
    };
    Acquire(open);
    QCOMPARE(seen, tfUnknown);
    QCOMPARE(TwainFormatCode(tfUnknown), TW_UINT16(0));
    QCOMPARE(TwainFormatOf(9), tfEXIF);
}

void TestFerroTwain::closeRequestDisablesAndKeepsOpen()
{
    TOpen open(2);
    int cancels = 0;
    open.Twain->OnAcquireCancel = [&](void* sender, int index) {
        QCOMPARE(sender, open.Twain.get());
        QCOMPARE(index, 1);
        ++cancels;
    };
    TTwainSource* source = open.Twain->Source(1);
    source->SetLoaded(true);
    source->SetEnabled(true);
    FakeDsm_Post(1, MSG_CLOSEDSREQ);
    QCoreApplication::processEvents();
    QCOMPARE(cancels, 1);
    QVERIFY(source->Loaded());
    QVERIFY(!source->Enabled());
    FakeDsm_ClearLog();
    source->SetEnabled(true);
    QCOMPARE(Log(), QStringList{"USERINTERFACE ENABLEDS"});
    // A message for another source is not this one's.
    FakeDsm_ClearLog();
    FakeDsm_Post(0, MSG_CLOSEDSREQ);
    QCoreApplication::processEvents();
    QCOMPARE(cancels, 1);
}

void TestFerroTwain::refusedEnableCanBeRetried()
{
    TOpen open(1);
    TTwainSource* source = open.Twain->Source(0);
    source->SetEnabled(true); // not open: nothing sent
    QVERIFY(Log().filter(QStringLiteral("ENABLEDS")).isEmpty());
    source->SetLoaded(true);
    source->SetLoaded(true);
    QCOMPARE(Log().count(QStringLiteral("IDENTITY OPENDS")), 1);
    QCOMPARE(open.Twain->OpenSourceCount, 1);
    FakeDsm_SetEnableResult(TWRC_FAILURE);
    QVERIFY(!source->EnableSource(true, true));
    QVERIFY(!source->Enabled());
    FakeDsm_SetEnableResult(TWRC_CHECKSTATUS);
    FakeDsm_ClearLog();
    source->SetEnabled(true);
    QCOMPARE(Log(), QStringList{"USERINTERFACE ENABLEDS"});
    QVERIFY(source->Enabled());
}

void TestFerroTwain::capabilities()
{
    TOpen open(1);
    TTwainSource* source = open.Twain->Source(0);
    TW_HANDLE container = nullptr;
    TW_UINT16 type = 0;
    QCOMPARE(source->GetCapability(ICAP_UNITS, cqGet, container, type), capInvalidState);
    source->SetLoaded(true);
    TSourceUnit unit = suUnknown;
    TSourceUnits units = 0;
    QCOMPARE(source->GetICapUnits(unit, units, cqGet), capOk);
    QCOMPARE(unit, suCentimeters);
    QCOMPARE(units, TSourceUnits((1 << suInches) | (1 << suCentimeters)));
    QCOMPARE(source->GetICapUnits(unit, units, cqGetDefault), capOk);
    QCOMPARE(unit, suInches);
    FakeDsm_SetContainer(TWON_ONEVALUE);
    TW_UINT16 itemType = 0;
    TGetCapabilityList list;
    int current = 0;
    int def = 0;
    QCOMPARE(source->GetEnumerationCapability(ICAP_UNITS, itemType, list, current, def, cqGet), capInvalidContainer);
    TSourcePixelFlavor flavor = spfUnknown;
    TSourcePixelFlavors flavors = 0;
    QCOMPARE(source->GetIPixelFlavor(flavor, flavors, cqGet), capUnsupported);
}

void TestFerroTwain::setupFileTransfer()
{
    TOpen open(1);
    TTwainSource* source = open.Twain->Source(0);
    QVERIFY(!source->SetupFileTransfer(QStringLiteral("/tmp/x.bmp"), tfBMP));
    QVERIFY(Log().filter(QStringLiteral("SETUPFILEXFER")).isEmpty());
    source->SetLoaded(true);
    // Too long for the record: refused whole, never cut to another name.
    FakeDsm_ClearLog();
    QVERIFY(!source->SetupFileTransfer(QString(256, u'a'), tfPNG));
    QVERIFY(Log().filter(QStringLiteral("SETUPFILEXFER")).isEmpty());
    QVERIFY(source->SetupFileTransfer(QString(255, u'a'), tfPNG));
    QCOMPARE(QString::fromLatin1(FakeDsm_FileName()), QString(255, u'a'));
    // Bytes count, not characters.
    QVERIFY(!source->SetupFileTransfer(QString(128, QChar(0xE9)), tfPNG));
}

void TestFerroTwain::noFileChosenCancelsTheTransfer()
{
    TOpen open(1);
    FakeDsm_SetPending(2);
    int cancels = 0;
    int files = 0;
    int errors = 0;
    open.Twain->OnSourceSetupFileXfer = [](void*, int) {}; // the user cancelled the save dialog
    open.Twain->OnSourceFileTransfer = [&](void*, int, const TW_STR255&, TTwainFormat, bool&) { ++files; };
    open.Twain->OnAcquireCancel = [&](void*, int) { ++cancels; };
    open.Twain->OnAcquireError = [&](void*, int, int, int) { ++errors; };
    Acquire(open);
    QCOMPARE(Log(), (QStringList{"EVENT PROCESSEVENT", "PENDINGXFERS RESET", "USERINTERFACE DISABLEDS"}));
    QCOMPARE(files, 0);
    QCOMPARE(cancels, 1);
    QCOMPARE(errors, 0);
}

void TestFerroTwain::nativeAndMemoryTransfers()
{
    TOpen open(1);
    QImage got;
    int progress = 0;
    open.Twain->OnTwainAcquire = [&](void*, int, const QImage& image, bool&) { got = image; };
    open.Twain->OnAcquireProgress = [&](void* sender, int, const QImage&, int current, int total) {
        QCOMPARE(sender, open.Twain->Source(0));
        QCOMPARE(total, 1);
        progress = current;
    };
    open.Twain->Source(0)->TransferMode = ttmNative;
    Acquire(open);
    QCOMPARE(got.size(), QSize(2, 2));
    QCOMPARE(qGray(got.pixel(0, 0)), 10); // top row first
    QCOMPARE(qGray(got.pixel(1, 1)), 40);
    open.Twain->Source(0)->TransferMode = ttmMemory;
    Acquire(open);
    QCOMPARE(got.size(), QSize(3, 2));
    QCOMPARE(qGray(got.pixel(2, 0)), 3);
    QCOMPARE(qGray(got.pixel(0, 1)), 4);
    QCOMPARE(progress, 2);
    QCOMPARE(got.dotsPerMeterX(), 10000); // 100 per centimetre, the unit in force
}

namespace {

// An information header for a DIB of the given size and depth.
QByteArray DibHeader(std::int32_t width, std::int32_t height, std::uint16_t bits, std::uint32_t colours = 0)
{
    QByteArray header(40, '\0');
    const std::uint32_t size = 40;
    const std::uint16_t planes = 1;
    std::memcpy(header.data(), &size, 4);
    std::memcpy(header.data() + 4, &width, 4);
    std::memcpy(header.data() + 8, &height, 4);
    std::memcpy(header.data() + 12, &planes, 2);
    std::memcpy(header.data() + 14, &bits, 2);
    std::memcpy(header.data() + 32, &colours, 4);
    return header;
}

} // namespace

void TestFerroTwain::dibReadWithinItsBlock()
{
    // 3 x 2 at 24 bits: rows of 12 bytes, bottom row first.
    QByteArray dib = DibHeader(3, 2, 24) + QByteArray(12, '\x11') + QByteArray(12, '\x22');
    QImage image = ImageFromDib(dib.constData(), std::size_t(dib.size()));
    QCOMPARE(image.size(), QSize(3, 2));
    QCOMPARE(image.pixel(0, 0), qRgb(0x22, 0x22, 0x22));
    // One byte short of its last row, or a header bigger than its block:
    // refused, never read past.
    QVERIFY(ImageFromDib(dib.constData(), std::size_t(dib.size() - 1)).isNull());
    QVERIFY(ImageFromDib(dib.constData(), 39).isNull());
    const QByteArray claims = DibHeader(20000, 20000, 24) + QByteArray(8, '\0');
    QVERIFY(ImageFromDib(claims.constData(), std::size_t(claims.size())).isNull());
    const QByteArray tall = DibHeader(4, std::numeric_limits<std::int32_t>::min(), 32) + QByteArray(32, '\0');
    QVERIFY(ImageFromDib(tall.constData(), std::size_t(tall.size())).isNull());
    // A colour table longer than 8 bits can index is a malformed header; a
    // short one leaves the colours past it black.
    for (const std::uint32_t colours : {257u, 0xFFFFFFFFu}) {
        const QByteArray huge = DibHeader(4, 1, 8, colours) + QByteArray(2048, '\x40');
        QVERIFY(ImageFromDib(huge.constData(), std::size_t(huge.size())).isNull());
    }
    QByteArray shortTable = DibHeader(2, 1, 8, 1) + QByteArray(4, '\x7f') + QByteArray(4, '\0');
    shortTable[44] = 0;
    shortTable[45] = 5;
    image = ImageFromDib(shortTable.constData(), std::size_t(shortTable.size()));
    QCOMPARE(image.pixel(0, 0), qRgb(0x7f, 0x7f, 0x7f));
    QCOMPARE(image.pixel(1, 0), qRgb(0, 0, 0));
}

void TestFerroTwain::destroyingClosesEverything()
{
    {
        TOpen open(2);
        TTwainSource* source = open.Twain->Source(1);
        source->SetLoaded(true);
        source->SetEnabled(true);
        FakeDsm_ClearLog();
    }
    QCOMPARE(Log(), (QStringList{"USERINTERFACE DISABLEDS", "IDENTITY CLOSEDS", "PARENT CLOSEDSM"}));
}

void TestFerroTwain::cancelAndErrorFromTheSource()
{
    TOpen open(1);
    int files = 0;
    int cancels = 0;
    QList<int> errors;
    open.Twain->OnSourceSetupFileXfer = [&](void*, int index) {
        QVERIFY(open.Twain->Source(index)->SetupFileTransfer(QStringLiteral("/tmp/x.bmp"), tfBMP));
    };
    open.Twain->OnSourceFileTransfer = [&](void*, int, const TW_STR255&, TTwainFormat, bool&) { ++files; };
    open.Twain->OnAcquireCancel = [&](void*, int) { ++cancels; };
    open.Twain->OnAcquireError = [&](void*, int, int code, int condition) { errors << code << condition; };
    // A failed image is reported, then the next one comes.
    FakeDsm_SetPending(2);
    const TW_UINT16 failThenDone[] = {TWRC_FAILURE};
    FakeDsm_SetFileResults(failThenDone, 1);
    Acquire(open);
    QCOMPARE(errors, (QList<int>{TWRC_FAILURE, TWCC_OPERATIONERROR}));
    QCOMPARE(files, 1);
    QCOMPARE(Log().count(QStringLiteral("PENDINGXFERS ENDXFER")), 2);
    QCOMPARE(cancels, 0);
    // The source cancels: no MSG_ENDXFER, the cancel event, the end.
    errors.clear();
    files = 0;
    FakeDsm_SetPending(2);
    const TW_UINT16 cancel[] = {TWRC_CANCEL};
    FakeDsm_SetFileResults(cancel, 1);
    Acquire(open);
    QCOMPARE(cancels, 1);
    QCOMPARE(files, 0);
    QVERIFY(errors.isEmpty());
    QCOMPARE(Log().count(QStringLiteral("PENDINGXFERS ENDXFER")), 0);
    QVERIFY(Log().contains(QStringLiteral("USERINTERFACE DISABLEDS")));
}

void TestFerroTwain::sourceThatCameLaterCanBeSelected()
{
    TOpen open(2);
    QCOMPARE(open.Twain->GetSourceCount(), 2);
    TTwainSource* first = open.Twain->Source(0);
    first->SetLoaded(true);
    // A third source appears after the list was made.
    FakeDsm_AddSource();
    FakeDsm_SetUserChoice(2);
    const int chosen = open.Twain->SelectSource();
    QCOMPARE(chosen, 2);
    QCOMPARE(open.Twain->Source(2)->ProductName(), QStringLiteral("Source 3"));
    // The sources listed before stay as they were, the open one open.
    QCOMPARE(open.Twain->Source(0), first);
    QVERIFY(first->Loaded());
    FakeDsm_SetUserChoice(1);
    QCOMPARE(open.Twain->SelectSource(), 1);
    FakeDsm_SetUserChoice(2);
    QCOMPARE(open.Twain->SelectSource(), 2);
    QCOMPARE(open.Twain->GetSourceCount(), 3);
}

QTEST_MAIN(TestFerroTwain)
#include "test_ferrotwain.moc"
