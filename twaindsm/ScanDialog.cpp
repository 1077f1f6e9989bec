#include "ScanDialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

TScanDialog::TScanDialog(const QString& Device, const QStringList& Resolutions, const QString& Resolution,
                         const QStringList& Modes, const QString& Mode)
{
    setWindowTitle(QStringLiteral("Scan - %1").arg(Device));
    cbResolution = new QComboBox(this);
    cbResolution->addItems(Resolutions);
    cbResolution->setCurrentText(Resolution);
    cbResolution->setEnabled(!Resolutions.isEmpty());
    cbMode = new QComboBox(this);
    cbMode->addItems(Modes);
    cbMode->setCurrentText(Mode);
    cbMode->setEnabled(!Modes.isEmpty());
    lblStatus = new QLabel(this);
    bScan = new QPushButton(QStringLiteral("Scan"), this);
    bScan->setDefault(true);
    bCancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bScan);
    buttons->addWidget(bCancel);
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Resolution (dpi)"), cbResolution);
    layout->addRow(QStringLiteral("Colour mode"), cbMode);
    layout->addRow(lblStatus);
    layout->addRow(buttons);
    connect(bScan, &QPushButton::clicked, this, [this] {
        if (OnScan)
            OnScan();
    });
    connect(bCancel, &QPushButton::clicked, this, &TScanDialog::reject);
}

void TScanDialog::ShowBusy(bool Busy, const QString& Status)
{
    bScan->setEnabled(!Busy);
    cbResolution->setEnabled(!Busy && cbResolution->count() > 0);
    cbMode->setEnabled(!Busy && cbMode->count() > 0);
    lblStatus->setText(Status);
}

void TScanDialog::reject()
{
    // The source manager hides the window when the application disables
    // the source; here the user only asks for that.
    if (OnCancel)
        OnCancel();
}

void TScanDialog::closeEvent(QCloseEvent* event)
{
    event->ignore();
    reject();
}
