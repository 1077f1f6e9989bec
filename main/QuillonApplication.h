#pragma once

#include <QApplication>

// The application object. Errors that escape an event handler end up here
// as a last resort and are shown like any other handler error.
class TQuillonApplication : public QApplication {
public:
    TQuillonApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
