#pragma once

#include <QDialog>

class QListWidget;

// The source manager's choice of a source among the SANE devices.
class TSelectDialog : public QDialog {
    Q_OBJECT

public:
    explicit TSelectDialog(const QStringList& Devices);
    QListWidget* lbSources;
    int Chosen() const;
};
