#pragma once

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

// A source's own window: resolution, colour mode, Scan and Cancel.
class TScanDialog : public QDialog {
    Q_OBJECT

public:
    TScanDialog(const QString& Device, const QStringList& Resolutions, const QString& Resolution,
                const QStringList& Modes, const QString& Mode);

    QComboBox* cbResolution;
    QComboBox* cbMode;
    QLabel* lblStatus;
    QPushButton* bScan;
    QPushButton* bCancel;

    std::function<void()> OnScan;
    // The user closed the window or pressed Cancel.
    std::function<void()> OnCancel;

    void ShowBusy(bool Busy, const QString& Status);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
};
