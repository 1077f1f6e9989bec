#pragma once

#include "image/PictureDecoder.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

class QMainWindow;
class QWidget;

// Keeps the window alive while a picture decodes: it repaints throughout,
// and once the wait is noticeable it says so in the status bar with a
// Cancel button and a busy cursor. Esc, the button or closing the window
// cancels; any other input is held back, since nothing may change the job
// while its picture is on the way.
class TPictureWait : public QObject, public TDecodeWatch {
public:
    explicit TPictureWait(QMainWindow& Window);
    ~TPictureWait() override;

    void Begin(const QString& FileName) override;
    bool Waiting() override;
    void End() override;
    bool Active() const { return FActive; }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void Show();

    QMainWindow& FWindow;
    QString FFileName;
    QElapsedTimer FClock;
    QPointer<QWidget> FPanel;
    bool FActive = false;
    bool FCancelled = false;
};
