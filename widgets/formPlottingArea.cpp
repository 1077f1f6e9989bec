#include "formPlottingArea.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QMessageBox>
#include <QSpinBox>

namespace {

QSpinBox* PixelBox(QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setSuffix(QStringLiteral(" px"));
    return box;
}

} // namespace

TfrmPlottingArea::TfrmPlottingArea(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Plotting Area"));
    seLeft = PixelBox(this);
    seTop = PixelBox(this);
    seRight = PixelBox(this);
    seBottom = PixelBox(this);
    seAngle = new QDoubleSpinBox(this);
    seAngle->setRange(-360, 360);
    seAngle->setDecimals(4);
    seAngle->setSuffix(QStringLiteral("°"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Left"), seLeft);
    form->addRow(QStringLiteral("Top"), seTop);
    form->addRow(QStringLiteral("Right"), seRight);
    form->addRow(QStringLiteral("Bottom"), seBottom);
    form->addRow(QStringLiteral("Angle"), seAngle);
    form->addRow(buttons);
}

void TfrmPlottingArea::SetArea(const TRect& Area, double Angle, int ImageWidth, int ImageHeight)
{
    constexpr int unlimited = 10'000'000;
    const int right = ImageWidth > 0 ? ImageWidth - 1 : unlimited;
    const int bottom = ImageHeight > 0 ? ImageHeight - 1 : unlimited;
    for (QSpinBox* box : {seLeft, seRight})
        box->setRange(0, right);
    for (QSpinBox* box : {seTop, seBottom})
        box->setRange(0, bottom);
    seLeft->setValue(Area.Left);
    seTop->setValue(Area.Top);
    seRight->setValue(Area.Right);
    seBottom->setValue(Area.Bottom);
    seAngle->setValue(Angle);
}

TRect TfrmPlottingArea::Area() const
{
    return {seLeft->value(), seTop->value(), seRight->value(), seBottom->value()};
}

double TfrmPlottingArea::Angle() const
{
    return seAngle->value();
}

void TfrmPlottingArea::accept()
{
    if (seLeft->value() >= seRight->value() || seTop->value() >= seBottom->value()) {
        QMessageBox::critical(this, QStringLiteral("Error"),
                              QStringLiteral("Left must be less than Right, and Top less than Bottom."));
        return;
    }
    QDialog::accept();
}
