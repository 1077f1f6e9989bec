// Calibration by points from the window: the mode, the values of a clicked
// point, and the table of points with their residuals.
#include "formMain.h"

#include "widgets/CommandGlyph.h"
#include "widgets/formAxisDates.h"
#include "widgets/formCalibrationPoint.h"
#include "widgets/formCalibrationPoints.h"

#include <QAction>

void Tmainform::CreateCalibrationCommands()
{
    TQuillonView* v = QuillonView;
    acCalibrateMode = Command(QStringLiteral("acCalibrateMode"), QStringLiteral("Calibrate by &Points"),
                              [v] { v->SetMouseAction(maCalibrate); });
    acCalibrateMode->setCheckable(true);
    acCalibrateMode->setIcon(GlyphIcon(TGlyph::Calibrate));
    acCalibrateMode->setStatusTip(
        QStringLiteral("Click points whose values you know: two with X values and two with Y values, or more"));
    acCalibrationPoints = Command(QStringLiteral("acCalibrationPoints"), QStringLiteral("Calibration Poi&nts..."),
                                  [this] { acCalibrationPointsExecute(); });
    acAxisDates = Command(QStringLiteral("acAxisDates"), QStringLiteral("Axis Dates and &Times..."),
                          [this] { acAxisDatesExecute(); });
}

void Tmainform::QuillonViewCalibrationClick(QObject*, const TPointF& At, int Index)
{
    TQuillonView* v = QuillonView;
    TCalibration calibration = v->Calibration;
    const bool known = Index >= 0 && Index < int(calibration.Points.size());
    const int number = known ? Index + 1 : int(calibration.Points.size()) + 1;
    TCalibrationPoint point = known ? calibration.Points[std::size_t(Index)] : TCalibrationPoint{DrawnTickNear(At)};
    TfrmCalibrationPoint dialog(this);
    dialog.SetPoint(point, number, v->XUnit, v->YUnit, OthersGiveAxis(calibration, Index, axX),
                    OthersGiveAxis(calibration, Index, axY), known);
    if (calibration.Kind == ckPolar)
        dialog.SetPolar(number == 1);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (dialog.Removed())
        calibration.Points.erase(calibration.Points.begin() + Index);
    else if (known)
        calibration.Points[std::size_t(Index)] = dialog.Point();
    else
        calibration.Points.push_back(dialog.Point());
    if (calibration.Kind == ckRectangle)
        calibration.Kind = ckPoints;
    // The gesture that clicked takes the change as its one undo step.
    v->SetAxisUnits(dialog.XUnit(), dialog.YUnit());
    v->SetCalibration(calibration);
    UpdateCommands();
}

void Tmainform::acCalibrationPointsExecute()
{
    TQuillonView* v = QuillonView;
    TfrmCalibrationPoints dialog(this);
    dialog.SetCalibration(*v);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const TMapping result = dialog.Result();
    Record(QStringLiteral("Calibration Points"), [&] {
        v->SetAxisUnits(result.XUnit, result.YUnit);
        v->SetCalibration(result.Calibration);
    });
}

void Tmainform::acAxisDatesExecute()
{
    TQuillonView* v = QuillonView;
    TfrmAxisDates dialog(this);
    dialog.SetMapping(*v);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const TMapping result = dialog.Result();
    Record(QStringLiteral("Axis Dates and Times"), [&] {
        v->SetAxisUnits(result.XUnit, result.YUnit);
        v->SetAxisValues(result.XLeftValue, result.YTopValue, result.XRightValue, result.YBottomValue);
        v->Paint();
    });
}
