#include "ModalDriver.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

WhenModalShown::WhenModalShown(const char* className, std::function<void(QWidget* dialog)> act)
{
    QObject::connect(&FTimer, &QTimer::timeout, [this, className, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && modal->inherits(className)) {
            FTimer.stop();
            FAnswered = true;
            act(modal);
        }
    });
    FTimer.start(10);
}

std::function<void(QWidget*)> ReadInto(QString& text)
{
    return [&text](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        text = box->text();
        box->accept();
    };
}
