#pragma once

#include "document/CalibrationPoints.h"
#include "document/viewmapping.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The values of one calibration point typed in: X, Y or both, each a number,
// an ISO 8601 date or a time of day. An axis that other points give keeps
// their kind of value; OK is refused otherwise, and for text that is none.
class TfrmCalibrationPoint : public QDialog {
    Q_OBJECT

public:
    explicit TfrmCalibrationPoint(QWidget* parent = nullptr);

    // Fixed: other points give that axis, so its unit stays. Removable
    // offers to take the point away.
    void SetPoint(const TCalibrationPoint& Point, int Number, TAxisUnit XUnit, TAxisUnit YUnit, bool XFixed,
                  bool YFixed, bool Removable);
    // A polar chart's point: X is the angle, Y the radius; the centre may
    // give neither.
    void SetPolar(bool Centre);
    TCalibrationPoint Point() const { return FPoint; }
    TAxisUnit XUnit() const { return FXUnit; }
    TAxisUnit YUnit() const { return FYUnit; }
    bool Removed() const { return FRemoved; }

    QLabel* lblPixel;
    QLabel* lblX;
    QLabel* lblY;
    QLineEdit* edX;
    QLineEdit* edY;
    QPushButton* bRemove;

    void accept() override;

private:
    // Reads one edit into Value and Unit; false, having said why, when it
    // holds no value of a kind the axis may take.
    bool ReadAxis(QLineEdit* Edit, const QString& Axis, bool Fixed, double& Value, TAxisUnit& Unit);

    TCalibrationPoint FPoint;
    TAxisUnit FXUnit = auNumber;
    TAxisUnit FYUnit = auNumber;
    bool FXFixed = false;
    bool FYFixed = false;
    bool FRemoved = false;
    bool FMayBeEmpty = false;
};
