#pragma once

#include "document/viewmapping.h"

#include <QDialog>

class QLineEdit;

// The plotting area's edge values typed as dates and times (ISO 8601) or as
// numbers: an axis whose two values are dates becomes a date axis, one whose
// values are numbers a number axis. OK is refused while a value is neither,
// the two of an axis differ in kind or are equal.
class TfrmAxisDates : public QDialog {
    Q_OBJECT

public:
    explicit TfrmAxisDates(QWidget* parent = nullptr);

    void SetMapping(const TMapping& Mapping);
    // Mapping with the values and units typed.
    TMapping Result() const { return FMapping; }

    QLineEdit* edLeft;
    QLineEdit* edRight;
    QLineEdit* edBottom;
    QLineEdit* edTop;

    void accept() override;

private:
    TMapping FMapping;
};
