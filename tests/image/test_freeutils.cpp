#include "image/FreeUtils.h"

#include <FreeImage.h>
#include <QtTest>

class TestFreeUtils : public QObject {
    Q_OBJECT
private slots:
    void maskReplacesCommas();
    void unknownFormatGivesBareMask();
    void entryHasDescriptionThenMaskTwice();
    void filterHasFiftyFields();
};

void TestFreeUtils::maskReplacesCommas()
{
    const QString list = QString::fromLatin1(FreeImage_GetFIFExtensionList(FIF_JPEG));
    QVERIFY(list.contains(u','));
    QString expected = QStringLiteral("*.") + list;
    expected.replace(u',', QStringLiteral(";*."));
    QCOMPARE(FormatExtensionMask(FIF_JPEG), expected);
    QVERIFY(FormatExtensionMask(FIF_JPEG).startsWith(QStringLiteral("*.jpg;*.")));
}

void TestFreeUtils::unknownFormatGivesBareMask()
{
    QCOMPARE(FormatExtensionMask(999), QStringLiteral("*."));
    QCOMPARE(FormatFilterEntry(999), QStringLiteral("(*.)|*."));
    QCOMPARE(FormatFilterEntry(FIF_UNKNOWN), QString());
}

void TestFreeUtils::entryHasDescriptionThenMaskTwice()
{
    const QString description = QString::fromLatin1(FreeImage_GetFIFDescription(FIF_PNG)).trimmed();
    const QString mask = FormatExtensionMask(FIF_PNG);
    QCOMPARE(FormatFilterEntry(FIF_PNG), description + u'(' + mask + QStringLiteral(")|") + mask);
}

void TestFreeUtils::filterHasFiftyFields()
{
    const QStringList fields = OpenPictureFilter().split(u'|');
    QCOMPARE(fields.size(), 50);
    QCOMPARE(fields[0], QStringLiteral("All supported formats"));
    QCOMPARE(fields[1], AllFormatsExtensionMask());
    QCOMPARE(fields[1].split(u';').first(), FormatExtensionMask(0).split(u';').first());
    for (int fif = 0; fif <= 23; ++fif) {
        QCOMPARE(fields[2 + 2 * fif + 1], FormatExtensionMask(fif));
        QVERIFY(fields[1].contains(FormatExtensionMask(fif)));
    }
}

QTEST_GUILESS_MAIN(TestFreeUtils)
#include "test_freeutils.moc"
