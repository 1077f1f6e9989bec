#pragma once

#include "ksNumericEdit.h"

// A numeric edit holding a floating-point number.
class TKSFloatEdit : public TKSNumericEdit {
public:
    explicit TKSFloatEdit(QWidget* parent = nullptr);

    double Value = 0;
    double MinValue = 0;
    double MaxValue = 0;

    QString FormatString() const { return FFormatString; }
    // A printf pattern with one floating-point directive, for example
    // "%8.3f"; a pattern that cannot be applied shows the plain text.
    void SetFormatString(const QString& S);

    // NaN empties the edit; a number outside the enforced bounds is refused.
    // The display is rewritten in every case.
    void SetValue(double X);
    // "E3" reads as 1E3, "-e2" as -1e2; text that does not convert gives the
    // current Value.
    double ParseText(const QString& S);
    // Whether the text committed last did not convert, so that Value kept
    // the number from before.
    bool TextRefused() const { return FTextRefused; }
    void UpdateDisplay() override;

protected:
    bool IsNumberChar(QChar c) const override;
    void CommitParsed(const QString& S) override;
    void MakeEmpty() override;
    QString PlainText() const override;

private:
    QString FFormatString;
    bool FTextRefused = false;
};
