#pragma once

#include "ksNumericEdit.h"

#include <cstdint>

// A numeric edit holding a 32-bit integer, typed in decimal or, after "$",
// in hexadecimal.
class TKSIntegerEdit : public TKSNumericEdit {
public:
    explicit TKSIntegerEdit(QWidget* parent = nullptr);

    std::int32_t Value = 0;
    std::int32_t MinValue = 0;
    std::int32_t MaxValue = 0;

    // A number outside the enforced bounds is refused; the display is
    // rewritten in every case.
    void SetValue(std::int32_t X);
    // Text that does not convert gives the current Value.
    std::int32_t ParseText(const QString& S);
    void UpdateDisplay() override;

protected:
    bool IsNumberChar(QChar c) const override;
    void CommitParsed(const QString& S) override;
    void MakeEmpty() override;
    QString PlainText() const override;
};
