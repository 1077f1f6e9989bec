#include "formCalibrationPoints.h"

#include "formCalibrationPoint.h"
#include "document/AxisValueText.h"
#include "document/PixelText.h"
#include "document/FittedMap.h"
#include "platform/CoordinateText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

bool OthersGiveAxis(const TCalibration& Calibration, int Except, TAxis Axis)
{
    for (std::size_t i = 0; i < Calibration.Points.size(); ++i)
        if (int(i) != Except && (Axis == axX ? Calibration.Points[i].HasX() : Calibration.Points[i].HasY()))
            return true;
    return false;
}

TfrmCalibrationPoints::TfrmCalibrationPoints(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Calibration Points"));
    tbPoints = new QTableWidget(0, 8, this);
    tbPoints->setHorizontalHeaderLabels({QStringLiteral("Point"), QStringLiteral("Pixel X"), QStringLiteral("Pixel Y"),
                                         QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Residual X"),
                                         QStringLiteral("Residual Y"), QStringLiteral("Residual (px)")});
    tbPoints->verticalHeader()->hide();
    tbPoints->setSelectionBehavior(QAbstractItemView::SelectRows);
    tbPoints->setSelectionMode(QAbstractItemView::SingleSelection);
    tbPoints->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tbPoints->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    lblFit = new QLabel(this);
    lblFit->setWordWrap(true);
    cbMap = new QComboBox(this);
    cbMap->addItems({QStringLiteral("The plotting area's rectangle"), QStringLiteral("These points, axes straight"),
                     QStringLiteral("These points, a polar chart (the first is its centre)")});
    cbAngleUnit = new QComboBox(this);
    cbAngleUnit->addItems({QStringLiteral("Degrees"), QStringLiteral("Radians")});
    cbClockwise = new QCheckBox(QStringLiteral("C&lockwise"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    bEdit = buttons->addButton(QStringLiteral("&Edit..."), QDialogButtonBox::ActionRole);
    bRemove = buttons->addButton(QStringLiteral("&Remove"), QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(bEdit, &QPushButton::clicked, this, [this] { EditPoint(tbPoints->currentRow()); });
    connect(bRemove, &QPushButton::clicked, this, [this] { RemovePoint(tbPoints->currentRow()); });
    connect(tbPoints, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { EditPoint(row); });
    connect(cbMap, &QComboBox::currentIndexChanged, this, [this](int index) {
        FMapping.Calibration.Kind = TCalibrationKind(index);
        Fill();
    });
    connect(cbAngleUnit, &QComboBox::currentIndexChanged, this, [this](int index) {
        FMapping.Calibration.Radians = index == 1;
        Fill();
    });
    connect(cbClockwise, &QCheckBox::toggled, this, [this](bool on) {
        FMapping.Calibration.Clockwise = on;
        Fill();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tbPoints);
    layout->addWidget(lblFit);
    auto* map = new QHBoxLayout;
    auto* mapLabel = new QLabel(QStringLiteral("&Map in force:"), this);
    mapLabel->setBuddy(cbMap);
    map->addWidget(mapLabel);
    map->addWidget(cbMap, 1);
    map->addWidget(cbAngleUnit);
    map->addWidget(cbClockwise);
    layout->addLayout(map);
    layout->addWidget(buttons);
    resize(760, 360);
}

void TfrmCalibrationPoints::SetCalibration(const TMapping& Mapping)
{
    FMapping = Mapping;
    Fill();
}

void TfrmCalibrationPoints::Fill()
{
    const std::vector<TCalibrationPoint>& points = FMapping.Calibration.Points;
    const int row = tbPoints->currentRow();
    TFittedMap map;
    QString problem;
    // The residuals are shown for the points' own kind even while the
    // rectangle is in force.
    TCalibration asPoints = FMapping.Calibration;
    if (asPoints.Kind == ckRectangle)
        asPoints.Kind = ckPoints;
    const bool fitted = FitCalibration(asPoints, FMapping.AxisXMap, FMapping.AxisYMap, map, &problem);
    const auto number = [](double v) { return std::isnan(v) ? QString() : CoordinateText(v, 6, 3); };
    tbPoints->setRowCount(int(points.size()));
    double worst = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const TCalibrationPoint& p = points[i];
        const TPointResidual r = fitted ? map.ResidualOf(p) : TPointResidual{};
        worst = std::max(worst, r.Pixels);
        const bool centre = i == 0 && FMapping.Calibration.Kind == ckPolar;
        const QString cells[] = {centre ? QStringLiteral("1 (centre)") : QString::number(i + 1),
                                 PixelText(p.Pixel.X),
                                 PixelText(p.Pixel.Y),
                                 p.HasX() ? AxisValueText(p.X, FMapping.XUnit) : QString(),
                                 p.HasY() ? AxisValueText(p.Y, FMapping.YUnit) : QString(),
                                 number(r.X),
                                 number(r.Y),
                                 fitted ? QString::number(r.Pixels, 'f', 2) : QString()};
        for (int c = 0; c < 8; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
            tbPoints->setItem(int(i), c, item);
        }
    }
    tbPoints->setCurrentCell(std::min(row, int(points.size()) - 1), 0);
    lblFit->setText(fitted ? QStringLiteral("The points give a map; the largest residual is %1 pixels.")
                                 .arg(QString::number(worst, 'f', 2))
                           : problem + u'.');
    const bool polar = FMapping.Calibration.Kind == ckPolar;
    tbPoints->horizontalHeaderItem(3)->setText(polar ? QStringLiteral("Theta") : QStringLiteral("X"));
    tbPoints->horizontalHeaderItem(4)->setText(polar ? QStringLiteral("r") : QStringLiteral("Y"));
    const QSignalBlocker quiet(cbMap), quietUnit(cbAngleUnit), quietTurn(cbClockwise);
    cbMap->setCurrentIndex(FMapping.Calibration.Kind);
    cbAngleUnit->setCurrentIndex(FMapping.Calibration.Radians ? 1 : 0);
    cbClockwise->setChecked(FMapping.Calibration.Clockwise);
    cbAngleUnit->setEnabled(polar);
    cbClockwise->setEnabled(polar);
    bEdit->setEnabled(!points.empty());
    bRemove->setEnabled(!points.empty());
}

void TfrmCalibrationPoints::EditPoint(int Row)
{
    std::vector<TCalibrationPoint>& points = FMapping.Calibration.Points;
    if (Row < 0 || Row >= int(points.size()))
        return;
    TfrmCalibrationPoint dialog(this);
    dialog.SetPoint(points[std::size_t(Row)], Row + 1, FMapping.XUnit, FMapping.YUnit,
                    OthersGiveAxis(FMapping.Calibration, Row, axX), OthersGiveAxis(FMapping.Calibration, Row, axY), true);
    if (FMapping.Calibration.Kind == ckPolar)
        dialog.SetPolar(Row == 0);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (dialog.Removed()) {
        RemovePoint(Row);
        return;
    }
    points[std::size_t(Row)] = dialog.Point();
    FMapping.XUnit = dialog.XUnit();
    FMapping.YUnit = dialog.YUnit();
    Fill();
}

void TfrmCalibrationPoints::RemovePoint(int Row)
{
    std::vector<TCalibrationPoint>& points = FMapping.Calibration.Points;
    if (Row < 0 || Row >= int(points.size()))
        return;
    points.erase(points.begin() + Row);
    Fill();
}
