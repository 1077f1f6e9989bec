#include "ModalDriver.h"

#include <QApplication>
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
