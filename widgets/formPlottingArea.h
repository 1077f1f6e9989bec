#pragma once

#include "platform/WinTypes.h"

#include <QDialog>

class QDoubleSpinBox;
class QSpinBox;

// The plotting area typed in: its rectangle in image pixels and its angle
// in degrees. OK is refused while the rectangle is empty.
class TfrmPlottingArea : public QDialog {
    Q_OBJECT

public:
    explicit TfrmPlottingArea(QWidget* parent = nullptr);

    // Limits: the picture's size, or none worth the name without a picture.
    void SetArea(const TRect& Area, double Angle, int ImageWidth, int ImageHeight);
    TRect Area() const;
    double Angle() const;

    QSpinBox* seLeft;
    QSpinBox* seTop;
    QSpinBox* seRight;
    QSpinBox* seBottom;
    QDoubleSpinBox* seAngle;

    void accept() override;
};
