#include "widgets/ksFloatEdit.h"
#include "widgets/ksIntegerEdit.h"

#include <QLocale>
#include <QVBoxLayout>
#include "ExactCompare.h"

#include <QtTest>

namespace {

// Two edits in a shown window, so that focus can move between them.
struct TPair {
    TPair()
    {
        auto* layout = new QVBoxLayout(&Window);
        Float = new TKSFloatEdit(&Window);
        Integer = new TKSIntegerEdit(&Window);
        layout->addWidget(Float);
        layout->addWidget(Integer);
        Window.show();
        Window.activateWindow();
        Active = QTest::qWaitForWindowActive(&Window);
    }
    QWidget Window;
    TKSFloatEdit* Float;
    TKSIntegerEdit* Integer;
    bool Active = false;
};

void ClearAndReturn(QLineEdit* edit)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Return);
}

void TypeAndReturn(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

} // namespace

class TestNumericEdits : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void noneIgnoresBounds();
    void silentBoundsKeepPreviousValue();
    void textThatDoesNotConvertKeepsValue();
    void blankMakesEmpty();
    void committedBlankHoldsZero();
    void keyFilter();
    void leadingExponentMeansOne();
    void integerHexadecimal();
    void returnStopMovesFocusWithoutCommitting();
    void returnStopNeedsTabStop();
    void focusLossCommitsOnlyChangedText();
    void formatStringRoundTrip();
    void badFormatStringShowsPlainText();
    void localeSeparator();
};

void TestNumericEdits::noneIgnoresBounds()
{
    TKSFloatEdit edit;
    edit.MaxValue = 45;
    edit.UseMaxBound = true;
    edit.UseMinBound = true;
    edit.SetValue(90);
    QCOMPARE_EXACT(edit.Value, 90.0);
    QCOMPARE(edit.text(), QStringLiteral("90"));
}

void TestNumericEdits::silentBoundsKeepPreviousValue()
{
    TPair pair;
    QVERIFY(pair.Active);
    TKSIntegerEdit& edit = *pair.Integer;
    edit.MinValue = 1;
    edit.MaxValue = 10;
    edit.UseMinBound = edit.UseMaxBound = true;
    edit.SetValidate(vdSilent);
    edit.SetValue(3);
    TypeAndReturn(&edit, QStringLiteral("12"));
    QCOMPARE(edit.Value, 3);
    QCOMPARE(edit.text(), QStringLiteral("3"));
    TypeAndReturn(&edit, QStringLiteral("10"));
    QCOMPARE(edit.Value, 10);
    TypeAndReturn(&edit, QStringLiteral("1"));
    QCOMPARE(edit.Value, 1);
    edit.SetValidate(vdWarning);
    TypeAndReturn(&edit, QStringLiteral("0"));
    QCOMPARE(edit.Value, 1);
    // Changing the mode does not validate the held value again.
    edit.SetValidate(vdNone);
    edit.SetValue(50);
    edit.SetValidate(vdSilent);
    QCOMPARE(edit.Value, 50);
}

void TestNumericEdits::textThatDoesNotConvertKeepsValue()
{
    TKSFloatEdit edit;
    edit.SetValue(7);
    edit.SetText(QStringLiteral("abc"));
    QCOMPARE_EXACT(edit.Value, 7.0);
    QCOMPARE(edit.text(), QStringLiteral("7"));
    QVERIFY(!edit.Empty);
    TKSIntegerEdit integer;
    integer.SetValue(7);
    integer.SetText(QStringLiteral("99999999999"));
    QCOMPARE(integer.Value, 7);
}

void TestNumericEdits::blankMakesEmpty()
{
    TKSFloatEdit edit;
    edit.SetValue(4.5);
    edit.SetText(QStringLiteral("  "));
    QVERIFY(edit.Empty);
    QCOMPARE_EXACT(edit.Value, 0.0);
    QCOMPARE(edit.text(), QString());
    edit.SetValue(2);
    QVERIFY(!edit.Empty);
    QCOMPARE(edit.text(), QStringLiteral("2"));
    edit.SetValue(std::numeric_limits<double>::quiet_NaN());
    QVERIFY(edit.Empty);
    QCOMPARE(edit.text(), QString());
}

void TestNumericEdits::committedBlankHoldsZero()
{
    // Cleared by the user and committed by Return or by leaving: empty, and
    // the value 0, even where the bounds would refuse 0.
    TPair pair;
    QVERIFY(pair.Active);
    TKSFloatEdit& f = *pair.Float;
    TKSIntegerEdit& i = *pair.Integer;
    i.MinValue = 1;
    i.MaxValue = 10;
    i.UseMinBound = i.UseMaxBound = true;
    i.SetValidate(vdSilent);
    f.SetValue(4.5);
    ClearAndReturn(&f);
    QVERIFY(f.Empty);
    QCOMPARE_EXACT(f.Value, 0.0);
    QCOMPARE(f.text(), QString());
    i.SetValue(7);
    ClearAndReturn(&i);
    QVERIFY(i.Empty);
    QCOMPARE(i.Value, 0);
    f.SetValue(-3.25);
    i.SetValue(7);
    for (QLineEdit* edit : {static_cast<QLineEdit*>(&f), static_cast<QLineEdit*>(&i)}) {
        edit->setFocus();
        edit->clear();
        (edit == &f ? static_cast<QWidget*>(&i) : static_cast<QWidget*>(&f))->setFocus();
    }
    QVERIFY(f.Empty && i.Empty);
    QCOMPARE_EXACT(f.Value, 0.0);
    QCOMPARE(i.Value, 0);
}

void TestNumericEdits::keyFilter()
{
    TPair pair;
    TKSFloatEdit& edit = *pair.Float;
    edit.setFocus();
    edit.clear();
    QTest::keyClicks(&edit, QStringLiteral("1 2x.5e+q"));
    QCOMPARE(edit.text(), QStringLiteral("12.5e+"));
    TKSIntegerEdit& integer = *pair.Integer;
    integer.setFocus();
    integer.clear();
    QTest::keyClicks(&integer, QStringLiteral("$1fF .x"));
    QCOMPARE(integer.text(), QStringLiteral("$1f"));
    // Backspace and the other control keys still work.
    QTest::keyClick(&integer, Qt::Key_Backspace);
    QCOMPARE(integer.text(), QStringLiteral("$1"));
}

void TestNumericEdits::leadingExponentMeansOne()
{
    TPair pair;
    TypeAndReturn(pair.Float, QStringLiteral("E5"));
    QCOMPARE_EXACT(pair.Float->Value, 100000.0);
    TypeAndReturn(pair.Float, QStringLiteral("-e2"));
    QCOMPARE_EXACT(pair.Float->Value, -100.0);
    QCOMPARE(pair.Float->selectedText(), pair.Float->text());
}

void TestNumericEdits::integerHexadecimal()
{
    TPair pair;
    TypeAndReturn(pair.Integer, QStringLiteral("$1f"));
    QCOMPARE(pair.Integer->Value, 31);
    QCOMPARE(pair.Integer->text(), QStringLiteral("31"));
    pair.Integer->SetText(QStringLiteral("0x10"));
    QCOMPARE(pair.Integer->Value, 16);
    pair.Integer->SetText(QStringLiteral("x20"));
    QCOMPARE(pair.Integer->Value, 32);
    pair.Integer->SetText(QStringLiteral("  -8"));
    QCOMPARE(pair.Integer->Value, -8);
}

void TestNumericEdits::returnStopMovesFocusWithoutCommitting()
{
    TPair pair;
    TKSFloatEdit& edit = *pair.Float;
    edit.SetReturnStop(true);
    QVERIFY(edit.ReturnStop());
    edit.SetValue(1);
    edit.setFocus();
    edit.selectAll();
    QTest::keyClicks(&edit, QStringLiteral("8"));
    QCOMPARE_EXACT(edit.Value, 1.0); // typed, not committed yet
    QTest::keyClick(&edit, Qt::Key_Return);
    QVERIFY(pair.Integer->hasFocus());
    // Leaving committed it.
    QCOMPARE_EXACT(edit.Value, 8.0);
}

void TestNumericEdits::returnStopNeedsTabStop()
{
    TKSFloatEdit edit;
    edit.setFocusPolicy(Qt::ClickFocus);
    edit.SetReturnStop(true);
    QVERIFY(!edit.ReturnStop());
}

void TestNumericEdits::focusLossCommitsOnlyChangedText()
{
    TPair pair;
    TKSFloatEdit& edit = *pair.Float;
    edit.SetValue(0.1 + 0.2); // 15 digits show 0.3, the value is not 0.3
    edit.setFocus();
    pair.Integer->setFocus();
    QCOMPARE_EXACT(edit.Value, 0.1 + 0.2); // untouched text: not converted again
    edit.setFocus();
    edit.selectAll();
    QTest::keyClicks(&edit, QStringLiteral("2.5"));
    pair.Integer->setFocus();
    QCOMPARE_EXACT(edit.Value, 2.5);
}

void TestNumericEdits::formatStringRoundTrip()
{
    TPair pair;
    TKSFloatEdit& edit = *pair.Float;
    edit.SetFormatString(QStringLiteral("%.2f mm"));
    edit.SetValue(3.14159);
    QCOMPARE(edit.text(), QStringLiteral("3.14 mm"));
    pair.Integer->setFocus();
    edit.setFocus();
    QCOMPARE(edit.text(), QStringLiteral("3.14159"));
    // The full-precision text differs from the formatted one, so leaving
    // converts it again.
    pair.Integer->setFocus();
    QCOMPARE_EXACT(edit.Value, 3.14159);
    QCOMPARE(edit.text(), QStringLiteral("3.14 mm"));
    TypeAndReturn(&edit, QStringLiteral("2"));
    QCOMPARE(edit.text(), QStringLiteral("2.00 mm"));
}

void TestNumericEdits::badFormatStringShowsPlainText()
{
    TKSFloatEdit edit;
    edit.SetValue(2.5);
    edit.SetFormatString(QStringLiteral("%d items"));
    QCOMPARE(edit.text(), QStringLiteral("2.5"));
    edit.SetFormatString(QStringLiteral("%f and %f"));
    QCOMPARE(edit.text(), QStringLiteral("2.5"));
    edit.SetFormatString(QStringLiteral("%n"));
    QCOMPARE(edit.text(), QStringLiteral("2.5"));
}

void TestNumericEdits::localeSeparator()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TPair pair;
    TypeAndReturn(pair.Float, QStringLiteral("2,5"));
    QCOMPARE_EXACT(pair.Float->Value, 2.5);
    QCOMPARE(pair.Float->text(), QStringLiteral("2,5"));
    // The point is not a separator here and cannot be typed.
    pair.Float->setFocus();
    pair.Float->clear();
    QTest::keyClicks(pair.Float, QStringLiteral("1.5"));
    QCOMPARE(pair.Float->text(), QStringLiteral("15"));
}

QTEST_MAIN(TestNumericEdits)
#include "test_numericedits.moc"
