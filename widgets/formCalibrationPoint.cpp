#include "formCalibrationPoint.h"

#include "document/AxisValueText.h"
#include "document/PixelText.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <cmath>
#include <limits>

namespace {

QString UnitName(TAxisUnit Unit)
{
    switch (Unit) {
    case auDate:
        return QStringLiteral("dates, such as 2026-12-08 or 2026-12-08T14:30");
    case auTime:
        return QStringLiteral("times of day, such as 14:30");
    case auNumber:
        break;
    }
    return QStringLiteral("numbers");
}

} // namespace

TfrmCalibrationPoint::TfrmCalibrationPoint(QWidget* parent)
    : QDialog(parent)
{
    lblPixel = new QLabel(this);
    edX = new QLineEdit(this);
    edY = new QLineEdit(this);
    const QString hint = QStringLiteral("A number, a date (2026-12-08T14:30) or a time of day; empty if not known");
    edX->setPlaceholderText(hint);
    edY->setPlaceholderText(hint);
    edX->setMinimumWidth(edX->fontMetrics().horizontalAdvance(hint) + 16);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    bRemove = buttons->addButton(QStringLiteral("&Remove Point"), QDialogButtonBox::DestructiveRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(bRemove, &QPushButton::clicked, this, [this] {
        FRemoved = true;
        QDialog::accept();
    });
    auto* form = new QFormLayout(this);
    form->addRow(lblPixel);
    lblX = new QLabel(QStringLiteral("&X value"), this);
    lblY = new QLabel(QStringLiteral("&Y value"), this);
    lblX->setBuddy(edX);
    lblY->setBuddy(edY);
    form->addRow(lblX, edX);
    form->addRow(lblY, edY);
    form->addRow(buttons);
}

void TfrmCalibrationPoint::SetPoint(const TCalibrationPoint& Point, int Number, TAxisUnit XUnit, TAxisUnit YUnit,
                                    bool XFixed, bool YFixed, bool Removable)
{
    setWindowTitle(QStringLiteral("Calibration Point %1").arg(Number));
    FPoint = Point;
    FXUnit = XUnit;
    FYUnit = YUnit;
    FXFixed = XFixed;
    FYFixed = YFixed;
    lblPixel->setText(QStringLiteral("At pixel %1, %2 of the picture").arg(PixelText(Point.Pixel.X), PixelText(Point.Pixel.Y)));
    edX->setText(Point.HasX() ? AxisValueText(Point.X, XUnit) : QString());
    edY->setText(Point.HasY() ? AxisValueText(Point.Y, YUnit) : QString());
    bRemove->setVisible(Removable);
}

void TfrmCalibrationPoint::SetPolar(bool Centre)
{
    lblX->setText(QStringLiteral("&Angle (theta)"));
    lblY->setText(QStringLiteral("&Radius (r)"));
    FMayBeEmpty = Centre;
    if (Centre)
        lblPixel->setText(lblPixel->text() + QStringLiteral(": the centre, r empty for 0"));
}

bool TfrmCalibrationPoint::ReadAxis(QLineEdit* Edit, const QString& Axis, bool Fixed, double& Value, TAxisUnit& Unit)
{
    const QString text = Edit->text().trimmed();
    if (text.isEmpty()) {
        Value = std::numeric_limits<double>::quiet_NaN();
        return true;
    }
    TAxisUnit typed = auNumber;
    const std::optional<double> value = ReadAxisValue(text, typed);
    QString why;
    if (!value)
        why = QStringLiteral("Type %1 as a number, a date (2026-12-08, 2026-12-08T14:30) or a time of day (14:30).")
                  .arg(Axis);
    else if (Fixed && typed != Unit)
        why = QStringLiteral("The other calibration points give %1 as %2: type one of those, or remove them first.")
                  .arg(Axis, UnitName(Unit));
    if (!why.isEmpty()) {
        QMessageBox::critical(this, QStringLiteral("Error"), why);
        Edit->setFocus();
        Edit->selectAll();
        return false;
    }
    Value = *value;
    Unit = typed;
    return true;
}

void TfrmCalibrationPoint::accept()
{
    TCalibrationPoint point = FPoint;
    TAxisUnit x = FXUnit, y = FYUnit;
    if (!ReadAxis(edX, QStringLiteral("X"), FXFixed, point.X, x) || !ReadAxis(edY, QStringLiteral("Y"), FYFixed, point.Y, y))
        return;
    if (!point.HasX() && !point.HasY() && !FMayBeEmpty) {
        QMessageBox::critical(this, QStringLiteral("Error"), QStringLiteral("Give the point an X value, a Y value or both."));
        edX->setFocus();
        return;
    }
    FPoint = point;
    // An axis this point alone gives takes the kind of value typed for it.
    FXUnit = point.HasX() ? x : FXUnit;
    FYUnit = point.HasY() ? y : FYUnit;
    QDialog::accept();
}
