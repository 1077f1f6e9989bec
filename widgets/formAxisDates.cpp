#include "formAxisDates.h"

#include "document/AxisValueText.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

TfrmAxisDates::TfrmAxisDates(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Axis Dates and Times"));
    auto* form = new QFormLayout(this);
    auto* hint = new QLabel(QStringLiteral("Type each edge's value as a date (2026-12-08, 2026-12-08T14:30, in UTC), a "
                                           "time of day (14:30) or a number."),
                            this);
    hint->setWordWrap(true);
    form->addRow(hint);
    edLeft = new QLineEdit(this);
    edRight = new QLineEdit(this);
    edBottom = new QLineEdit(this);
    edTop = new QLineEdit(this);
    form->addRow(QStringLiteral("X at the &left edge"), edLeft);
    form->addRow(QStringLiteral("X at the &right edge"), edRight);
    form->addRow(QStringLiteral("Y at the &bottom edge"), edBottom);
    form->addRow(QStringLiteral("Y at the &top edge"), edTop);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

void TfrmAxisDates::SetMapping(const TMapping& Mapping)
{
    FMapping = Mapping;
    edLeft->setText(AxisValueText(Mapping.XLeftValue, Mapping.XUnit));
    edRight->setText(AxisValueText(Mapping.XRightValue, Mapping.XUnit));
    edBottom->setText(AxisValueText(Mapping.YBottomValue, Mapping.YUnit));
    edTop->setText(AxisValueText(Mapping.YTopValue, Mapping.YUnit));
}

void TfrmAxisDates::accept()
{
    TMapping m = FMapping;
    const struct {
        QLineEdit* From;
        QLineEdit* To;
        double* FromValue;
        double* ToValue;
        TAxisUnit* Unit;
        TAxisMapping Kind;
        const char* Name;
    } axes[] = {{edLeft, edRight, &m.XLeftValue, &m.XRightValue, &m.XUnit, m.AxisXMap, "X"},
                {edBottom, edTop, &m.YBottomValue, &m.YTopValue, &m.YUnit, m.AxisYMap, "Y"}};
    for (const auto& axis : axes) {
        TAxisUnit from = auNumber, to = auNumber;
        const std::optional<double> a = ReadAxisValue(axis.From->text(), from);
        const std::optional<double> b = ReadAxisValue(axis.To->text(), to);
        QString why;
        if (!a || !b)
            why = QStringLiteral("Type the %1 values as dates, times of day or numbers.");
        else if (from != to)
            why = QStringLiteral("The two %1 values must be of one kind: both dates, both times or both numbers.");
        else if (*a == *b)
            why = QStringLiteral("The two %1 values must differ.");
        else if (from != auNumber && axis.Kind == amLog10)
            why = QStringLiteral("A log %1 axis cannot hold dates: set it to linear in Dimensions first.");
        if (!why.isEmpty()) {
            QMessageBox::critical(this, QStringLiteral("Error"), why.arg(QLatin1String(axis.Name)));
            (!a ? axis.From : axis.To)->setFocus();
            return;
        }
        *axis.FromValue = *a;
        *axis.ToValue = *b;
        *axis.Unit = from;
    }
    FMapping = m;
    QDialog::accept();
}
