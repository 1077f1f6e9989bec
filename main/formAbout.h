#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QTabWidget;

// The About box: product name, release and build date of the running
// program, the optional change history and credits beside it, and links.
class TfrmAbout : public QDialog {
    Q_OBJECT

public:
    explicit TfrmAbout(QWidget* parent = nullptr);

    static QString WebAddress();
    static QString MailAddress();

    QLabel* ImageLogo;
    QLabel* lblQuillon;
    QLabel* lblVersion;
    QLabel* lblBuildDate;
    QLabel* lblWeb;
    QLabel* lblemail;
    QTabWidget* PageControl1;
    QPlainTextEdit* memDetails;
    QPlainTextEdit* memChanges;
    QPlainTextEdit* memCredits;
    QWidget* tsInfo;
    QWidget* tsChanges;
    QWidget* tsCredits;

    // Fills the labels and pages for the program file ProgramFile.
    void FormShow(const QString& ProgramFile);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool FShown = false;
};
