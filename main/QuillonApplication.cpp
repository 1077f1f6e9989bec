#include "QuillonApplication.h"

#include "StandardErrorBox.h"

TQuillonApplication::TQuillonApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Quillon"));
    setOrganizationName(QStringLiteral("Kestrow"));
}

bool TQuillonApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowStandardError(activeWindow(), ExceptionMessage(std::current_exception()));
        return true;
    }
}
