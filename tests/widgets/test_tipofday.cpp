#include "widgets/frmTip.h"
#include "widgets/ksTipofDay.h"

#include "ModalDriver.h"
#include "TestFiles.h"
#include "platform/RegistryError.h"

#include <QCheckBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

namespace {

const QString TipKey = QStringLiteral("\\Software\\Kestrow\\Quillon\\TipOfDay");

std::optional<QString> Stored(const QString& name)
{
    TRegistry registry;
    if (!registry.OpenKey(TipKey, false))
        return std::nullopt;
    return registry.ReadString(name);
}

void Store(const QString& name, const QString& value)
{
    TRegistry registry;
    QVERIFY(registry.OpenKey(TipKey, true));
    QVERIFY(registry.WriteString(name, value));
}

std::unique_ptr<TKSTipOfDay> Configured(const QStringList& tips)
{
    auto tip = std::make_unique<TKSTipOfDay>();
    tip->RegPath = QStringLiteral("Software\\Kestrow\\Quillon");
    tip->SetTips(tips);
    tip->Loaded();
    return tip;
}

const QStringList FiveTips{"one", "two", "three", "four", "five"};

// Runs Execute, letting `act` work the window before it is closed; returns
// what the status bar said first.
QString Run(TKSTipOfDay& tip, const std::function<void(TformKSTip*)>& act = {})
{
    QString first;
    WhenModalShown driver("TformKSTip", [&](QWidget* w) {
        auto* window = static_cast<TformKSTip*>(w);
        first = window->status->currentMessage();
        if (act)
            act(window);
        if (window->isVisible())
            window->bClose->click();
    });
    tip.Execute(nullptr);
    return first;
}

} // namespace

class TestTipOfDay : public QObject {
    Q_OBJECT
private slots:
    void init() { FHome = std::make_unique<TScopedConfigHome>(); }
    void cleanup() { FHome.reset(); }
    void freshUserStartsAtTheFirstTip();
    void closingOnTheLastTipLeadsToARandomOne();
    void nextAndPrevWrap();
    void singleTipAndNoTips();
    void uncheckingStopsTheStartUpShowing();
    void unreadableOrOddLastTip();
    void escapeCloses();
    void failedWriteIsReported();
    void tipsFileBesideTheProgram();
    void disabledCheckBoxKeepsStoredValue();

private:
    std::unique_ptr<TScopedConfigHome> FHome;
};

void TestTipOfDay::freshUserStartsAtTheFirstTip()
{
    auto tip = Configured(FiveTips);
    QVERIFY(tip->ShowAtStart);
    QCOMPARE(tip->LastTip, -1);
    QString text;
    QCOMPARE(Run(*tip, [&](TformKSTip* w) { text = w->mbTip->toPlainText(); }), QStringLiteral("This is tip 1 of 5"));
    QCOMPARE(text, QStringLiteral("one"));
    QCOMPARE(Stored(QStringLiteral("ShowAtStart")), QStringLiteral("1"));
    QCOMPARE(Stored(QStringLiteral("LastTip")), QStringLiteral("0"));
    QCOMPARE(Run(*tip), QStringLiteral("This is tip 2 of 5"));
}

void TestTipOfDay::closingOnTheLastTipLeadsToARandomOne()
{
    auto tip = Configured(FiveTips);
    Run(*tip, [](TformKSTip* w) {
        for (int i = 0; i < 4; ++i)
            w->bNextTip->click();
        QCOMPARE(w->status->currentMessage(), QStringLiteral("This is tip 5 of 5"));
        QCOMPARE(w->mbTip->toPlainText(), QStringLiteral("five"));
    });
    QCOMPARE(Stored(QStringLiteral("LastTip")), QStringLiteral("4"));
    std::uint16_t index = 99;
    const QString first = Run(*tip, [&](TformKSTip* w) { index = w->TipIndex; });
    QVERIFY(index < 5);
    QCOMPARE(first, QStringLiteral("This is tip %1 of 5").arg(index + 1));
}

void TestTipOfDay::nextAndPrevWrap()
{
    auto tip = Configured(FiveTips);
    Run(*tip, [](TformKSTip* w) {
        w->bPreviousTip->click();
        QCOMPARE(w->status->currentMessage(), QStringLiteral("This is tip 5 of 5"));
        w->bNextTip->click();
        QCOMPARE(w->status->currentMessage(), QStringLiteral("This is tip 1 of 5"));
        QCOMPARE(w->bPreviousTip->toolTip(), QStringLiteral("Shows the previous tip"));
        w->bRandomTip->click();
        QVERIFY(w->TipIndex < 5);
    });
}

void TestTipOfDay::singleTipAndNoTips()
{
    // A blank line is no tip, wherever it stands.
    auto blanks = Configured({QStringLiteral("only"), QString(), QStringLiteral("  ")});
    QString shown;
    QCOMPARE(Run(*blanks, [&](TformKSTip* w) { shown = w->mbTip->toPlainText(); }), QStringLiteral("This is tip 1 of 1"));
    QCOMPARE(shown, QStringLiteral("only"));
    auto single = Configured({QStringLiteral("only")});
    Run(*single, [](TformKSTip* w) {
        QVERIFY(!w->bPreviousTip->isEnabled());
        QVERIFY(!w->bNextTip->isEnabled());
        QVERIFY(w->bRandomTip->isEnabled());
        w->bRandomTip->click();
        QCOMPARE(w->status->currentMessage(), QStringLiteral("This is tip 1 of 1"));
    });
    auto none = Configured({});
    QString text;
    QCOMPARE(Run(*none, [&](TformKSTip* w) { text = w->mbTip->toPlainText(); }),
             QStringLiteral("This is tip 1 of 1"));
    QCOMPARE(text, QStringLiteral("No tips found!"));
}

void TestTipOfDay::uncheckingStopsTheStartUpShowing()
{
    auto tip = Configured(FiveTips);
    Run(*tip, [](TformKSTip* w) {
        QVERIFY(w->cbxShowTips->isChecked());
        w->cbxShowTips->setChecked(false);
    });
    QCOMPARE(Stored(QStringLiteral("ShowAtStart")), QStringLiteral("0"));
    QVERIFY(!Configured(FiveTips)->ShowAtStart);
}

void TestTipOfDay::unreadableOrOddLastTip()
{
    Store(QStringLiteral("LastTip"), QStringLiteral("abc"));
    auto tip = Configured(FiveTips);
    QCOMPARE(tip->LastTip, -1);
    QCOMPARE(Run(*tip), QStringLiteral("This is tip 1 of 5"));
    // Below -1 the successor wraps through 16 bits past the list: a random tip.
    Store(QStringLiteral("LastTip"), QStringLiteral("-5"));
    std::uint16_t index = 99;
    Run(*tip, [&](TformKSTip* w) { index = w->TipIndex; });
    QVERIFY(index < 5);
}

void TestTipOfDay::escapeCloses()
{
    auto tip = Configured(FiveTips);
    bool closed = false;
    WhenModalShown driver("TformKSTip", [&](QWidget* w) {
        auto* window = static_cast<TformKSTip*>(w);
        QCOMPARE(window->windowTitle(), QStringLiteral("Tip of the Day"));
        QVERIFY(window->bClose->isDefault());
        QTest::keyClick(window, Qt::Key_Escape);
        closed = !window->isVisible();
    });
    tip->Execute(nullptr);
    QVERIFY(closed);
    QCOMPARE(Stored(QStringLiteral("LastTip")), QStringLiteral("0"));
}

void TestTipOfDay::failedWriteIsReported()
{
    auto tip = Configured(FiveTips);
    QVERIFY(QDir(FHome->Path() + QStringLiteral("/Kestrow")).removeRecursively());
    WriteTextFile(FHome->Path() + QStringLiteral("/Kestrow"), "in the way");
    WhenModalShown driver("TformKSTip", [](QWidget* w) { static_cast<TformKSTip*>(w)->bClose->click(); });
    QVERIFY_THROWS_EXCEPTION(ERegistryException, tip->Execute(nullptr));
}

void TestTipOfDay::tipsFileBesideTheProgram()
{
    const QString file = QCoreApplication::applicationDirPath() + QStringLiteral("/test-tips.txt");
    WriteTextFile(file, "first from file\nsecond from file");
    auto tip = std::make_unique<TKSTipOfDay>();
    tip->RegPath = QStringLiteral("Software\\Kestrow\\Quillon");
    tip->SetTips(FiveTips);
    tip->RelativeTipFile = QStringLiteral("test-tips.txt");
    tip->Loaded();
    QFile::remove(file);
    QCOMPARE(tip->Tips, (QStringList{"first from file", "second from file"}));
    // CR LF line ends and a final line end, as editors leave them: no
    // carriage returns in the tips and no empty tip after the last; an empty
    // line inside is a tip of its own.
    WriteTextFile(file, "one\r\n\r\ntwo\r\nthree\r\n");
    tip->Loaded();
    QCOMPARE(tip->Tips, (QStringList{"one", "", "two", "three"}));
    WriteTextFile(file, "one\ntwo\n");
    tip->Loaded();
    QFile::remove(file);
    QCOMPARE(tip->Tips, (QStringList{"one", "two"}));
    // A file that is not there leaves the tips as configured.
    auto other = Configured(FiveTips);
    other->RelativeTipFile = QStringLiteral("no-such-tips.txt");
    other->Loaded();
    QCOMPARE(other->Tips, FiveTips);
}

void TestTipOfDay::disabledCheckBoxKeepsStoredValue()
{
    auto tip = Configured(FiveTips);
    tip->DisableShowAtStart = true;
    bool enabled = true;
    bool checked = false;
    Run(*tip, [&](TformKSTip* w) {
        enabled = w->cbxShowTips->isEnabled();
        checked = w->cbxShowTips->isChecked();
    });
    QVERIFY(!enabled);
    QVERIFY(checked);
    QCOMPARE(Stored(QStringLiteral("ShowAtStart")), QStringLiteral("1"));
}

QTEST_MAIN(TestTipOfDay)
#include "test_tipofday.moc"
