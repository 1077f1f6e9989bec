#include "StandardErrorBox.h"

#include <QApplication>
#include <QMessageBox>

void ShowStandardError(QWidget* parent, const QString& message)
{
    QMessageBox::critical(parent, QApplication::applicationName(), message);
}

QString ExceptionMessage(std::exception_ptr error)
{
    // Every error of this program carries its message as UTF-8 in what().
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("An unexpected error occurred.");
    }
}

void RunGuarded(QWidget* parent, const std::function<void()>& handler)
{
    try {
        handler();
    } catch (...) {
        ShowStandardError(parent, ExceptionMessage(std::current_exception()));
    }
}
