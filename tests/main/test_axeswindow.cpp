// Axes found in a picture, in the window: offered once a chart opens,
// applied only when accepted, as one step; refused with what is missing.
#include "main/formMain.h"
#include "ModalDriver.h"
#include "TestFiles.h"
#include "WindowDriver.h"

#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QtTest>

class TestAxesWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void offerAccepted();
    void noAxesRefused();

private:
    TScopedConfigHome FHome;
    QTemporaryDir FDir;
    std::unique_ptr<Tmainform> FForm;
};

void TestAxesWindow::init()
{
    StoreStartupTip(false);
    FForm = std::make_unique<Tmainform>();
    FForm->show();
    QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
}

void TestAxesWindow::cleanup()
{
    FForm->setWindowModified(false);
    Drive(*FForm).UndoStack().setClean();
    FForm.reset();
}

// A chart opened offers its axes; nothing is in force until accepted, and
// the map accepted puts the chart's values where its script put them.
void TestAxesWindow::offerAccepted()
{
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    // chart03: X log10 from 10 to 1e6, Y linear from -0.002 to 0.006.
    QFile truthFile(QStringLiteral(AXES_CHARTS "/axes.truth"));
    QVERIFY(truthFile.open(QIODevice::ReadOnly));
    QList<QByteArray> truth;
    for (const QByteArray& line : truthFile.readAll().split('\n'))
        if (line.startsWith("chart03.jpg "))
            truth = line.split(' ');
    QCOMPARE(truth.size(), 13);
    QVERIFY(Drive(f).LoadImageFile(QStringLiteral(AXES_CHARTS "/chart03.jpg")));
    auto* offer = f.findChild<QPushButton*>(QStringLiteral("bAxesOffer"));
    QVERIFY(offer);
    QTRY_VERIFY_WITH_TIMEOUT(offer->isVisible(), 20000);
    QCOMPARE(offer->text(), QStringLiteral("Axes found: accept?"));
    QCOMPARE(v.Calibration.Kind, ckRectangle);
    WhenModalShown accept("TfrmCalibrationPoints", [](QWidget* w) { static_cast<QDialog*>(w)->accept(); });
    QTest::mouseClick(offer, Qt::LeftButton);
    QVERIFY(accept.Answered());
    QVERIFY(!offer->isVisible());
    QCOMPARE(v.Calibration.Kind, ckPoints);
    QCOMPARE(v.AxisXMap, amLog10);
    QCOMPARE(Drive(f).UndoStack().undoText(), QStringLiteral("Find Axes"));
    double m[6];
    for (int i = 0; i < 6; ++i)
        m[i] = truth[3 + i].toDouble();
    double worst = 0;
    for (const auto& [tx, ty] : {std::pair{1.5, -1e-3}, std::pair{3.5, 2e-3}, std::pair{5.5, 5e-3}}) {
        TDataPoint d;
        v.PixelToData(TPointF{m[0] + m[1] * tx + m[2] * ty, m[3] + m[4] * tx + m[5] * ty}, d, true);
        worst = std::max({worst, std::abs(std::log10(d.X) - tx) * m[1], std::abs(d.Y - ty) * std::abs(m[5])});
    }
    QVERIFY2(worst <= 0.5, qPrintable(QString::number(worst)));
    Drive(f).UndoStack().undo();
    QCOMPARE(v.Calibration.Kind, ckRectangle);
}

// A picture with no axes: the command says what it did not find, and
// nothing is offered or changed.
void TestAxesWindow::noAxesRefused()
{
    Tmainform& f = *FForm;
    QImage picture(600, 400, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(QPen(Qt::blue, 2));
    painter.drawLine(20, 380, 580, 30);
    painter.end();
    const QString name = FDir.filePath(QStringLiteral("curve.png"));
    QVERIFY(picture.save(name));
    QVERIFY(Drive(f).LoadImageFile(name));
    QString said;
    WhenModalShown answer("QMessageBox", [&](QWidget* w) {
        said = static_cast<QMessageBox*>(w)->text();
        static_cast<QMessageBox*>(w)->accept();
    });
    Drive(f).Action("acFindAxes")->trigger();
    QVERIFY(answer.Answered());
    QVERIFY2(said.startsWith(QStringLiteral("No axes found: the picture shows no tick marks along an X axis")),
             qPrintable(said));
    QCOMPARE(Drive(f).UndoStack().count(), 0);
    QVERIFY(!f.findChild<QPushButton*>(QStringLiteral("bAxesOffer"))->isVisible());
}

QTEST_MAIN(TestAxesWindow)
#include "test_axeswindow.moc"
