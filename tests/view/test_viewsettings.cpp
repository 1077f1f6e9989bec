#include "view/quillonviewsettings.h"

#include "platform/RegistryError.h"
#include "ExactCompare.h"
#include "TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QtTest>

namespace {

const QString Main = QStringLiteral("\\Software\\Kestrow\\Quillon");

void Store(const QString& subKey, const QString& name, const QString& value)
{
    TRegistry reg;
    QVERIFY(reg.OpenKey(Main + u'\\' + subKey, true));
    QVERIFY(reg.WriteString(name, value));
}

std::optional<QString> Stored(const QString& subKey, const QString& name)
{
    TRegistry reg;
    if (!reg.OpenKey(Main + u'\\' + subKey, false))
        return std::nullopt;
    return reg.ReadString(name);
}

} // namespace

class TestViewSettings : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void emptyStoreGivesDefaultsAndCreatesKey();
    void savedSetReloads();
    void savesInLoadOrder();
    void readingRules_data();
    void readingRules();
    void angleIncrementUnderCommaLocale();
    void pointTypeSetter();
    void pointTypeNames();
    void saveReportsKeyThatCannotBeCreated();
    void saveReportsValueThatCannotBeWritten();
    void blockedStoreLoadsDefaultsAndRefusesSave();
};

void TestViewSettings::emptyStoreGivesDefaultsAndCreatesKey()
{
    TScopedConfigHome home;
    TQuillonViewSettings s;
    QCOMPARE(s.AngleIncrement, 1.0);
    QCOMPARE(s.DrawPoints, true);
    QCOMPARE(s.DrawLine, false);
    QCOMPARE(s.FitOnImageLoad, false);
    QCOMPARE(s.PointType, ptPlus);
    QCOMPARE(s.PointSize, 3);
    QCOMPARE(s.PointColour, 0xFF0000);
    QCOMPARE(s.PointFillColour, 0);
    QCOMPARE(s.PointSolid, false);
    QCOMPARE(s.LineColour, 0);
    QCOMPARE(s.NumberFormat, ffGeneral);
    QCOMPARE(s.NumberPrecision, 6);
    QCOMPARE(s.NumberDigits, 3);
    QCOMPARE(s.LineStyle, psSolid);
    TRegistry reg;
    QVERIFY(reg.OpenKey(Main, false));
    QVERIFY(!reg.KeyExists(QStringLiteral("General")));
    QCOMPARE(ReadTextFile(home.SettingsFile()).count('='), 0);
}

void TestViewSettings::savedSetReloads()
{
    TScopedConfigHome home;
    {
        TQuillonViewSettings s;
        s.AngleIncrement = 0.25;
        s.DrawLine = true;
        s.DrawPoints = false;
        s.FitOnImageLoad = true;
        s.LineColour = 0x123456;
        s.PointColour = -16777201; // a system colour: negative, kept as signed text
        s.PointFillColour = 0x00FF00;
        s.PointSize = 9;
        s.PointSolid = true;
        s.PointType = ptSquarePlus;
        s.SaveSettings();
    }
    TQuillonViewSettings s;
    QCOMPARE(s.AngleIncrement, 0.25);
    QCOMPARE(s.DrawLine, true);
    QCOMPARE(s.DrawPoints, false);
    QCOMPARE(s.FitOnImageLoad, true);
    QCOMPARE(s.LineColour, 0x123456);
    QCOMPARE(s.PointColour, -16777201);
    QCOMPARE(s.PointFillColour, 0x00FF00);
    QCOMPARE(s.PointSize, 9);
    QCOMPARE(s.PointSolid, true);
    QCOMPARE(s.PointType, ptSquarePlus);
    QCOMPARE(Stored(QStringLiteral("Points"), QStringLiteral("PointColour")), QStringLiteral("-16777201"));
    QCOMPARE(Stored(QStringLiteral("General"), QStringLiteral("AngleIncrement")), QStringLiteral("0.25"));
    QCOMPARE(Stored(QStringLiteral("Points"), QStringLiteral("PointSolid")), QStringLiteral("1"));
}

void TestViewSettings::savesInLoadOrder()
{
    TScopedConfigHome home;
    TQuillonViewSettings s;
    s.SaveSettings();
    const QString text = QString::fromUtf8(ReadTextFile(home.SettingsFile()));
    QStringList names;
    for (const QString& line : text.split(u'\n'))
        if (line.contains(u'='))
            names << line.section(u'=', 0, 0);
    QCOMPARE(names, (QStringList{"FitOnImageLoad", "AngleIncrement", "DrawPoints", "PointType", "PointSize",
                                 "PointColour", "PointFillColour", "PointSolid", "DrawLine", "LineColour", "SubPixelClicks"}));
    QVERIFY(text.indexOf(QStringLiteral("Quillon\\General]")) < text.indexOf(QStringLiteral("Quillon\\Points]")));
    QVERIFY(text.indexOf(QStringLiteral("Quillon\\Points]")) < text.indexOf(QStringLiteral("Quillon\\Line]")));
}

void TestViewSettings::readingRules_data()
{
    QTest::addColumn<QString>("subKey");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("point type 11") << "Points" << "PointType" << "11";
    QTest::newRow("point type -1") << "Points" << "PointType" << "-1";
    QTest::newRow("point type 10") << "Points" << "PointType" << "10";
    QTest::newRow("point size abc") << "Points" << "PointSize" << "abc";
    QTest::newRow("point size 0") << "Points" << "PointSize" << "0";
    QTest::newRow("draw points 2") << "Points" << "DrawPoints" << "2";
    QTest::newRow("draw points 0") << "Points" << "DrawPoints" << "0";
    QTest::newRow("draw points junk") << "Points" << "DrawPoints" << "yes";
    QTest::newRow("solid hex") << "Points" << "PointSolid" << "$1";
    QTest::newRow("colour text") << "Line" << "LineColour" << "red";
    QTest::newRow("angle text") << "General" << "AngleIncrement" << "steep";
    QTest::newRow("point size int max") << "Points" << "PointSize" << "2147483647";
    QTest::newRow("point size -5") << "Points" << "PointSize" << "-5";
    QTest::newRow("angle 1e308") << "General" << "AngleIncrement" << "1e308";
    QTest::newRow("angle -5") << "General" << "AngleIncrement" << "-5";
    QTest::newRow("angle 45") << "General" << "AngleIncrement" << "45";
}

void TestViewSettings::readingRules()
{
    QFETCH(QString, subKey);
    QFETCH(QString, name);
    QFETCH(QString, text);
    TScopedConfigHome home;
    Store(subKey, name, text);
    TQuillonViewSettings s;
    const QString tag = QString::fromLatin1(QTest::currentDataTag());
    if (tag == u"point type 10")
        QCOMPARE(s.PointType, ptSmallDot);
    else if (tag.startsWith(u"point type"))
        QCOMPARE(s.PointType, ptPlus);
    else if (tag == u"point size abc")
        QCOMPARE(s.PointSize, 3);
    else if (tag == u"point size 0")
        QCOMPARE(s.PointSize, TQuillonViewSettings::MinPointSize);
    else if (tag == u"draw points 2")
        QCOMPARE(s.DrawPoints, true);
    else if (tag == u"draw points 0")
        QCOMPARE(s.DrawPoints, false);
    else if (tag == u"draw points junk")
        QCOMPARE(s.DrawPoints, true);
    else if (tag == u"solid hex")
        QCOMPARE(s.PointSolid, true);
    else if (tag == u"colour text")
        QCOMPARE(s.LineColour, 0);
    else if (tag == u"angle text")
        QCOMPARE(s.AngleIncrement, 1.0);
    else if (tag == u"point size int max")
        QCOMPARE(s.PointSize, TQuillonViewSettings::MaxPointSize);
    else if (tag == u"point size -5")
        QCOMPARE(s.PointSize, TQuillonViewSettings::MinPointSize);
    else if (tag == u"angle 1e308" || tag == u"angle 45")
        QCOMPARE_EXACT(s.AngleIncrement, TQuillonViewSettings::MaxAngleIncrement);
    else if (tag == u"angle -5")
        QCOMPARE_EXACT(s.AngleIncrement, 0.0);
    else
        QFAIL("row without a check");
}

void TestViewSettings::angleIncrementUnderCommaLocale()
{
    TScopedConfigHome home;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    {
        // First start: the default text "1.0" has a point, yet the loader
        // must end with 1.0, not an error.
        TQuillonViewSettings s;
        QCOMPARE(s.AngleIncrement, 1.0);
        s.AngleIncrement = 2.5;
        s.SaveSettings();
    }
    QCOMPARE(Stored(QStringLiteral("General"), QStringLiteral("AngleIncrement")), QStringLiteral("2,5"));
    QCOMPARE(TQuillonViewSettings().AngleIncrement, 2.5);
    // Written under a point locale, read under a comma one.
    Store(QStringLiteral("General"), QStringLiteral("AngleIncrement"), QStringLiteral("0.5"));
    QCOMPARE(TQuillonViewSettings().AngleIncrement, 0.5);
}

void TestViewSettings::pointTypeSetter()
{
    TScopedConfigHome home;
    TQuillonViewSettings s;
    s.SetPointType(-1);
    QCOMPARE(s.PointType, ptPlus);
    s.SetPointType(10);
    QCOMPARE(s.PointType, ptSmallDot);
    s.SetPointType(3);
    QCOMPARE(s.PointType, ptCircle);
    s.SetPointType(11);
    QCOMPARE(s.PointType, ptPlus);
}

void TestViewSettings::pointTypeNames()
{
    const QStringList names = TQuillonViewSettings::PointTypeNames();
    QCOMPARE(names.size(), 11);
    QCOMPARE(names[ptPlus], QStringLiteral("Plus"));
    QCOMPARE(names[ptInvertedTriangle], QStringLiteral("Inverted Triangle"));
    QCOMPARE(names[ptSquarePlus], QStringLiteral("Square Plus"));
    QCOMPARE(names[ptSmallDot], QStringLiteral("Small Dot"));
}

namespace {

// Puts a plain file where the settings folder belongs: from then on the store
// can be neither read nor written.
void BlockStore(const TScopedConfigHome& home)
{
    QVERIFY(QDir(home.Path() + QStringLiteral("/Kestrow")).removeRecursively());
    WriteTextFile(home.Path() + QStringLiteral("/Kestrow"), "in the way");
}

// What a save into a store whose folder is blocked by a file says after
// the fixed text.
QString BlockedReason(const TQuillonViewSettings& s)
{
    const QString file = s.Registry->FileName();
    return QStringLiteral(" in %1: the folder %2 cannot be made").arg(file, QFileInfo(file).absolutePath());
}

QString SaveError(TQuillonViewSettings& s)
{
    try {
        s.SaveSettings();
    } catch (const ERegistryException& e) {
        return e.Message;
    }
    return QStringLiteral("no error");
}

} // namespace

void TestViewSettings::saveReportsKeyThatCannotBeCreated()
{
    TScopedConfigHome home;
    TQuillonViewSettings s; // creates the main key, but no sub-key
    BlockStore(home);
    s.DrawPoints = false;
    QCOMPARE(SaveError(s), QStringLiteral("Failed to create key General") + BlockedReason(s));
    QCOMPARE(s.DrawPoints, false); // the user's choice stays in memory
}

void TestViewSettings::saveReportsValueThatCannotBeWritten()
{
    TScopedConfigHome home;
    Store(QStringLiteral("General"), QStringLiteral("FitOnImageLoad"), QStringLiteral("0"));
    TQuillonViewSettings s;
    BlockStore(home);
    QCOMPARE(SaveError(s), QStringLiteral("Failed to set data for 'FitOnImageLoad'") + BlockedReason(s));
}

void TestViewSettings::blockedStoreLoadsDefaultsAndRefusesSave()
{
    TScopedConfigHome home;
    Store(QStringLiteral("Points"), QStringLiteral("PointSize"), QStringLiteral("7"));
    BlockStore(home);
    TQuillonViewSettings s;
    QCOMPARE(s.PointSize, 3);
    QCOMPARE(SaveError(s), QStringLiteral("Failed to create key Software\\Kestrow\\Quillon\\") + BlockedReason(s));
}

QTEST_GUILESS_MAIN(TestViewSettings)
#include "test_viewsettings.moc"
