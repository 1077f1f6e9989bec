#pragma once

#include "document/CalibrationPoints.h"
#include "document/viewmapping.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

// The calibration points in a table with the fit's residual at each (in data
// units along each axis and in pixels), where points are edited or removed
// and the points are put in force or set aside. Works on a copy: the caller
// takes the result on OK.
class TfrmCalibrationPoints : public QDialog {
    Q_OBJECT

public:
    explicit TfrmCalibrationPoints(QWidget* parent = nullptr);

    void SetCalibration(const TMapping& Mapping);
    // Mapping with the edited points, units and map in force.
    TMapping Result() const { return FMapping; }

    QTableWidget* tbPoints;
    QLabel* lblFit;
    QComboBox* cbMap;
    QComboBox* cbAngleUnit;
    QCheckBox* cbClockwise;
    QPushButton* bEdit;
    QPushButton* bRemove;

private:
    void Fill();
    void EditPoint(int Row);
    void RemovePoint(int Row);

    TMapping FMapping;
};

// Whether calibration points other than point Except give that axis, so
// that its unit is theirs.
bool OthersGiveAxis(const TCalibration& Calibration, int Except, TAxis Axis);
