#pragma once

#include <QString>
#include <QTimer>

#include <functional>

// Runs `act` on the next modal dialog of the given class (QMessageBox,
// QColorDialog, ...) as soon as it is on screen, so that a test can read
// and answer a real dialog that a command opens and waits on. Watches only
// while the object lives.
class WhenModalShown {
public:
    WhenModalShown(const char* className, std::function<void(QWidget* dialog)> act);
    bool Answered() const { return FAnswered; }

private:
    QTimer FTimer;
    bool FAnswered = false;
};

// An answer for WhenModalShown: accepts a message box and keeps its text.
std::function<void(QWidget*)> ReadInto(QString& text);
