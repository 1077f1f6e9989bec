#include "widgets/formPreferences.h"

#include "ModalDriver.h"
#include "TestFiles.h"
#include "view/quillonviewsettings.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include "ExactCompare.h"

#include <QtTest>

namespace {

struct TDimensions {
    double L, R, B, T;
    int X, Y;
};

// Shows the dialog, presses OK once and answers the check message, if any;
// the dialog is closed shortly after when still open. Returns the messages
// shown and whether the dialog was accepted.
QStringList PressOk(TfrmPreferences& dialog, bool& accepted)
{
    QStringList messages;
    WhenModalShown reader("QMessageBox", [&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        messages << box->text();
        box->accept();
    });
    QTimer::singleShot(0, &dialog, [&] { dialog.bOK->click(); });
    QTimer::singleShot(200, &dialog, [&] { dialog.reject(); });
    accepted = dialog.exec() == QDialog::Accepted;
    return messages;
}

QStringList Check(const TDimensions& d, bool& accepted)
{
    TfrmPreferences dialog;
    dialog.SetupForDimensions();
    dialog.ksfL->SetValue(d.L);
    dialog.ksfR->SetValue(d.R);
    dialog.ksfB->SetValue(d.B);
    dialog.ksfT->SetValue(d.T);
    dialog.cbXAxis->setCurrentIndex(d.X);
    dialog.cbyaxis->setCurrentIndex(d.Y);
    return PressOk(dialog, accepted);
}

} // namespace

class TestFormPreferences : public QObject {
    Q_OBJECT
private slots:
    void rolesShowTheirPages();
    void dimensionsStartInTheFirstField();
    void dimensionChecks_data();
    void dimensionChecks();
    void firstFailingCheckOnlyThenTheNext();
    void focusedEditCommitsBeforeChecks();
    void clearedFieldIsCheckedAsZero();
    void textThatIsNoFiniteNumberIsNamed_data();
    void textThatIsNoFiniteNumberIsNamed();
    void settingsRoundTrip();
    void numericEditConfiguration();
    void colourSwatchUsesColourDialog();

private:
    TScopedConfigHome FHome;
};

void TestFormPreferences::rolesShowTheirPages()
{
    TfrmPreferences preferences;
    preferences.SetupForPreferences();
    QCOMPARE(preferences.windowTitle(), QStringLiteral("Preferences"));
    QCOMPARE(preferences.pcPreferences->count(), 3);
    QCOMPARE(preferences.pcPreferences->tabText(0), QStringLiteral("General"));
    QCOMPARE(preferences.pcPreferences->tabText(2), QStringLiteral("Line"));
    TfrmPreferences dimensions;
    dimensions.SetupForDimensions();
    QCOMPARE(dimensions.windowTitle(), QStringLiteral("Dimensions"));
    QCOMPARE(dimensions.pcPreferences->count(), 1);
    QCOMPARE(dimensions.pcPreferences->tabText(0), QStringLiteral("Dimensions"));
    QCOMPARE(dimensions.cbXAxis->itemText(1), QStringLiteral("Logarithmic (Base 10)"));
}

// The first value typed goes into the first field, not to the page tab.
void TestFormPreferences::dimensionsStartInTheFirstField()
{
    TfrmPreferences dimensions;
    dimensions.SetupForDimensions();
    dimensions.ksfL->SetValue(3);
    dimensions.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dimensions));
    dimensions.activateWindow();
    QTRY_VERIFY(QApplication::focusWidget());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("7"));
    QCOMPARE(dimensions.ksfL->text(), QStringLiteral("7"));
}

void TestFormPreferences::dimensionChecks_data()
{
    QTest::addColumn<double>("L");
    QTest::addColumn<double>("R");
    QTest::addColumn<double>("B");
    QTest::addColumn<double>("T");
    QTest::addColumn<int>("X");
    QTest::addColumn<int>("Y");
    QTest::addColumn<QString>("message");
    QTest::newRow("1 same x") << 0.0 << 0.0 << 0.0 << 1.0 << 1 << 1 << "The left and right values cannot be the same.";
    QTest::newRow("2 left log") << 0.0 << 10.0 << 0.0 << 1.0 << 1 << 0 << "The left value must be positive for a Log10 scale.";
    QTest::newRow("3 right log") << 1.0 << -10.0 << 0.0 << 1.0 << 1 << 0 << "The right value must be positive for a Log10 scale.";
    QTest::newRow("4 same y") << 1.0 << 2.0 << 3.0 << 3.0 << 0 << 0 << "The bottom and top values cannot be the same.";
    QTest::newRow("5 bottom log") << 1.0 << 2.0 << 0.0 << 5.0 << 0 << 1 << "The bottom value must be positive for a Log10 scale.";
    QTest::newRow("6 top log") << 1.0 << 2.0 << 1.0 << -5.0 << 0 << 1 << "The top value must be positive for a Log10 scale.";
    QTest::newRow("linear y any") << 1.0 << 100.0 << 0.0 << -5.0 << 1 << 0 << "";
    QTest::newRow("x too far apart") << -1e308 << 1e308 << 0.0 << 1.0 << 0 << 0 << "The left and right values are too far apart.";
    QTest::newRow("y too far apart") << 0.0 << 1.0 << 1e308 << -1e308 << 0 << 0 << "The bottom and top values are too far apart.";
    QTest::newRow("widest x") << -8e307 << 8e307 << 0.0 << 1.0 << 0 << 0 << "";
}

void TestFormPreferences::dimensionChecks()
{
    QFETCH(double, L);
    QFETCH(double, R);
    QFETCH(double, B);
    QFETCH(double, T);
    QFETCH(int, X);
    QFETCH(int, Y);
    QFETCH(QString, message);
    bool accepted = false;
    const QStringList shown = Check({L, R, B, T, X, Y}, accepted);
    if (message.isEmpty()) {
        QVERIFY(accepted);
        QVERIFY(shown.isEmpty());
    } else {
        QVERIFY(!accepted);
        QCOMPARE(shown, QStringList{message});
    }
}

void TestFormPreferences::firstFailingCheckOnlyThenTheNext()
{
    TfrmPreferences dialog;
    dialog.SetupForDimensions();
    for (TKSFloatEdit* e : {dialog.ksfL, dialog.ksfR, dialog.ksfB, dialog.ksfT})
        e->SetValue(5);
    QCOMPARE(dialog.DimensionsError(), QStringLiteral("The left and right values cannot be the same."));
    dialog.ksfR->SetValue(6);
    QCOMPARE(dialog.DimensionsError(), QStringLiteral("The bottom and top values cannot be the same."));
    bool accepted = false;
    const QStringList shown = PressOk(dialog, accepted);
    QCOMPARE(shown, QStringList{"The bottom and top values cannot be the same."});
    QVERIFY(!accepted);
    // The values stay as the user left them.
    QCOMPARE_EXACT(dialog.ksfR->Value, 6.0);
}

void TestFormPreferences::focusedEditCommitsBeforeChecks()
{
    TfrmPreferences dialog;
    dialog.SetupForDimensions();
    dialog.ksfL->SetValue(0);
    dialog.ksfR->SetValue(0);
    dialog.ksfB->SetValue(0);
    dialog.ksfT->SetValue(1);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.ksfR->setFocus();
    dialog.ksfR->selectAll();
    QTest::keyClicks(dialog.ksfR, QStringLiteral("10"));
    dialog.bOK->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE_EXACT(dialog.ksfR->Value, 10.0);
}

void TestFormPreferences::clearedFieldIsCheckedAsZero()
{
    TfrmPreferences dialog;
    dialog.SetupForDimensions();
    dialog.ksfL->SetValue(5);
    dialog.ksfR->SetValue(0);
    dialog.ksfB->SetValue(0);
    dialog.ksfT->SetValue(1);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.ksfL->setFocus();
    dialog.ksfL->clear();
    bool accepted = false;
    QCOMPARE(PressOk(dialog, accepted), QStringList{"The left and right values cannot be the same."});
    QVERIFY(!accepted);
    QVERIFY(dialog.ksfL->Empty);
}

void TestFormPreferences::textThatIsNoFiniteNumberIsNamed_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("left 1e400") << 0 << "1e400" << "The left value must be a finite number.";
    QTest::newRow("top minus") << 3 << "-" << "The top value must be a finite number.";
    QTest::newRow("bottom e") << 2 << "e" << "The bottom value must be a finite number.";
}

void TestFormPreferences::textThatIsNoFiniteNumberIsNamed()
{
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    TfrmPreferences dialog;
    dialog.SetupForDimensions();
    TKSFloatEdit* edits[] = {dialog.ksfL, dialog.ksfR, dialog.ksfB, dialog.ksfT};
    for (int i = 0; i < 4; ++i)
        edits[i]->SetValue(i + 1);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    edits[field]->setFocus();
    edits[field]->selectAll();
    QTest::keyClicks(edits[field], typed);
    bool accepted = false;
    QCOMPARE(PressOk(dialog, accepted), QStringList{message});
    QVERIFY(!accepted);
    // The number from before is still what the edit holds and shows.
    QCOMPARE_EXACT(edits[field]->Value, double(field + 1));
    // Once the text is a number again the checks pass.
    edits[field]->setText(QStringLiteral("9"));
    edits[field]->Commit();
    QCOMPARE(dialog.DimensionsError(), QString());
}

void TestFormPreferences::settingsRoundTrip()
{
    TQuillonViewSettings settings;
    settings.PointType = ptSmallDot;
    settings.PointSize = 7;
    settings.PointColour = 0x00FF00;
    settings.DrawLine = true;
    settings.DrawPoints = false;
    settings.AngleIncrement = 2.5;
    TfrmPreferences dialog;
    dialog.SetupForPreferences();
    dialog.SettingsToControls(settings);
    QCOMPARE(dialog.cbPointType->count(), 11);
    QCOMPARE(dialog.cbPointType->currentText(), QStringLiteral("Small Dot"));
    QCOMPARE(dialog.ksiPointSize->text(), QStringLiteral("7"));
    QCOMPARE(dialog.ksAngleIncrement->text(), QStringLiteral("2.5"));
    QCOMPARE(dialog.pnlPointColour->Colour(), 0x00FF00);
    QVERIFY(dialog.cbxDrawLine->isChecked());
    QVERIFY(!dialog.cbxDrawPoints->isChecked());
    QCOMPARE(dialog.cbxSubPixelClicks->text(), QStringLiteral("Sub-pixel clicks when zoomed in"));
    QVERIFY(!dialog.cbxSubPixelClicks->isChecked());
    dialog.cbPointType->setCurrentText(QStringLiteral("Square Plus"));
    dialog.cbxDrawPoints->setChecked(true);
    dialog.cbxSubPixelClicks->setChecked(true);
    dialog.ControlsToSettings(settings);
    QCOMPARE(int(settings.PointType), 9);
    QVERIFY(settings.DrawPoints);
    QVERIFY(settings.SubPixelClicks);
    dialog.cbPointType->setCurrentIndex(-1);
    dialog.ControlsToSettings(settings);
    QCOMPARE(settings.PointType, ptPlus);
}

void TestFormPreferences::numericEditConfiguration()
{
    TfrmPreferences dialog;
    QCOMPARE(dialog.ksiPointSize->Validate(), vdSilent);
    QCOMPARE(dialog.ksiPointSize->MinValue, 1);
    QCOMPARE(dialog.ksiPointSize->MaxValue, 10);
    dialog.ksiPointSize->SetValue(4);
    dialog.ksiPointSize->SetValue(11);
    QCOMPARE(dialog.ksiPointSize->Value, 4);
    // The angle increment records 0..45 but does not enforce it.
    QCOMPARE(dialog.ksAngleIncrement->Validate(), vdNone);
    dialog.ksAngleIncrement->SetValue(90);
    QCOMPARE_EXACT(dialog.ksAngleIncrement->Value, 90.0);
}

void TestFormPreferences::colourSwatchUsesColourDialog()
{
    TfrmPreferences dialog;
    dialog.SetupForPreferences();
    dialog.pnlLineColour->SetColour(0x0000FF);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QColor offered;
    {
    WhenModalShown choose("QColorDialog", [&](QWidget* w) {
        auto* colours = qobject_cast<QColorDialog*>(w);
        QVERIFY(colours);
        offered = colours->currentColor();
        colours->setCurrentColor(QColor(0, 128, 255));
        colours->accept();
    });
    QTest::mouseClick(dialog.pnlLineColour, Qt::LeftButton);
    }
    QCOMPARE(offered, QColor(255, 0, 0));
    QCOMPARE(dialog.pnlLineColour->Colour(), 0xFF8000);
    WhenModalShown cancel("QColorDialog", [](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    QTest::mouseClick(dialog.pnlLineColour, Qt::LeftButton);
    QCOMPARE(dialog.pnlLineColour->Colour(), 0xFF8000);
}

QTEST_MAIN(TestFormPreferences)
#include "test_formpreferences.moc"
