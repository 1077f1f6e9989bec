#include "fileDialogs.h"

#include "platform/Registry.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {

const QString FoldersKey = QStringLiteral("\\Software\\Kestrow\\Quillon\\Folders");

QString Ask(QWidget* parent, const QString& title, const QString& filter, const QString& defaultSuffix,
            QFileDialog::AcceptMode mode, const QString& suggested = QString(), QString* chosenFilter = nullptr)
{
    QFileDialog dialog(parent, title, suggested.isEmpty() ? RememberedFolder(title) : suggested, filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    // A save asks before it replaces a file, as on every desktop.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString file = dialog.selectedFiles().first();
    if (chosenFilter)
        *chosenFilter = dialog.selectedNameFilter();
    RememberFolder(title, file);
    return file;
}

} // namespace

QString AskSaveFileName(QWidget* parent, const QString& title, const QString& filter, const QString& defaultSuffix,
                        const QString& Suggested, QString* ChosenFilter)
{
    return Ask(parent, title, filter, defaultSuffix, QFileDialog::AcceptSave, Suggested, ChosenFilter);
}

QString SuggestedFileName(const QString& Basis, const QString& Suffix)
{
    if (Basis.isEmpty())
        return {};
    const QFileInfo info(Basis);
    return info.absoluteDir().filePath(info.completeBaseName() + u'.' + Suffix);
}

QString AskOpenFileName(QWidget* parent, const QString& title, const QString& filter, const QString& defaultSuffix)
{
    return Ask(parent, title, filter, defaultSuffix, QFileDialog::AcceptOpen);
}

QString RememberedFolder(const QString& Dialog)
{
    TRegistry registry;
    if (!registry.OpenKey(FoldersKey, false))
        return {};
    const QString folder = registry.ReadString(Dialog).value_or(QString());
    return QFileInfo(folder).isDir() ? folder : QString();
}

void RememberFolder(const QString& Dialog, const QString& File)
{
    // A folder not kept costs the user a few clicks next time, no more.
    TRegistry registry;
    if (registry.OpenKey(FoldersKey, true))
        registry.WriteString(Dialog, QFileInfo(File).absolutePath());
}

QString QtFileFilter(const QString& Filter)
{
    const QStringList fields = Filter.split(u'|');
    QStringList items;
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
        QString masks = fields[i + 1];
        masks.replace(u';', u' ');
        QString description = fields[i];
        if (description.endsWith(u')'))
            description.replace(u';', u' ');
        else
            description += QStringLiteral(" (") + masks + u')';
        items << description;
    }
    return items.join(QStringLiteral(";;"));
}
