#include "StandardErrorBox.h"

#include "platform/Conversions.h"
#include "platform/RegistryError.h"

#include <QApplication>
#include <QMessageBox>

void ShowStandardError(QWidget* parent, const QString& message)
{
    QMessageBox::critical(parent, QApplication::applicationName(), message);
}

QString ExceptionMessage(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const EConvertError& e) {
        return e.Message;
    } catch (const ERegistryException& e) {
        return e.Message;
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
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
