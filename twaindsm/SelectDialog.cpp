#include "SelectDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TSelectDialog::TSelectDialog(const QStringList& Devices)
{
    setWindowTitle(QStringLiteral("Select Source"));
    lbSources = new QListWidget(this);
    lbSources->addItems(Devices);
    lbSources->setCurrentRow(Devices.isEmpty() ? -1 : 0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Select"));
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!Devices.isEmpty());
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(lbSources, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(Devices.isEmpty() ? QStringLiteral("No scanners were found.")
                                                   : QStringLiteral("Sources:"),
                                 this));
    layout->addWidget(lbSources);
    layout->addWidget(buttons);
}

int TSelectDialog::Chosen() const
{
    return lbSources->currentRow();
}
