#include "fileDialogs.h"

#include <QFileDialog>

namespace {

QString Ask(QWidget* parent, const QString& title, const QString& filter, const QString& defaultSuffix,
            QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, title, QString(), filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

} // namespace

QString AskSaveFileName(QWidget* parent, const QString& title, const QString& filter, const QString& defaultSuffix)
{
    return Ask(parent, title, filter, defaultSuffix, QFileDialog::AcceptSave);
}

QString AskOpenFileName(QWidget* parent, const QString& title, const QString& filter, const QString& defaultSuffix)
{
    return Ask(parent, title, filter, defaultSuffix, QFileDialog::AcceptOpen);
}
