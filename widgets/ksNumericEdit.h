#pragma once

#include <QLineEdit>

#include <cstdint>

enum TKSValidateOption : std::uint8_t { vdNone, vdSilent, vdWarning };

// What the float and integer edits share: a single-line edit that holds a
// number beside its text, lets through only the characters a number of its
// kind can have, and commits the text on Return or when the focus leaves.
// The number itself, its parsing and its text live in the derived classes.
class TKSNumericEdit : public QLineEdit {
public:
    explicit TKSNumericEdit(QWidget* parent = nullptr);

    bool Empty = false;
    QString DisplayedText;
    bool UseMinBound = false;
    bool UseMaxBound = false;

    bool ReturnStop() const { return FReturnStop; }
    // A control that is not a tab stop cannot stop on Return.
    void SetReturnStop(bool B);
    TKSValidateOption Validate() const { return FValidate; }
    void SetValidate(TKSValidateOption V) { FValidate = V; }

    QString GetText() const { return text(); }
    // Commits S as the new value; blank S makes the edit empty.
    void SetText(const QString& S);
    // Converts the current text as Return or a focus loss would.
    void Commit();

    virtual void UpdateDisplay() = 0;

protected:
    // Digits, signs and the rest that a number of this kind may contain.
    virtual bool IsNumberChar(QChar c) const = 0;
    // Parses S; sets Empty for a blank text.
    virtual void CommitParsed(const QString& S) = 0;
    // SetValue of 0 then Empty, for a blank text.
    virtual void MakeEmpty() = 0;
    // The value as plain full-precision text, "" when Empty.
    virtual QString PlainText() const = 0;

    // Sets the control text and remembers it as the edit's own.
    void Show(const QString& S);
    // Whether a new value passes the enforced bounds; with vdNone every
    // value does.
    template <typename T>
    bool Accepts(T X, T Min, T Max) const
    {
        if (FValidate != vdSilent && FValidate != vdWarning)
            return true;
        return !(UseMinBound && X < Min) && !(UseMaxBound && X > Max);
    }

    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool FReturnStop = false;
    TKSValidateOption FValidate = vdNone;
};
