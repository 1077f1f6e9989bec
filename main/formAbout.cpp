#include "formAbout.h"

#include "ProgramData.h"
#include "cVersionInfo.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <optional>

namespace {

QLabel* RightLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLabel* Link(const QString& text, QWidget* parent, QObject* filter)
{
    QLabel* label = RightLabel(text, parent);
    QPalette blue = label->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(blue);
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(filter);
    return label;
}

QPlainTextEdit* Memo(QWidget* parent)
{
    auto* memo = new QPlainTextEdit(parent);
    memo->setReadOnly(true);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* layout = new QVBoxLayout(parent);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(memo);
    return memo;
}

// A text file of the program's, or nothing when it is absent.
std::optional<QString> ProgramText(const QString& program, const QString& name)
{
    QFile file(ProgramDataFile(program, name));
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return QString::fromUtf8(file.readAll());
}

} // namespace

QString TfrmAbout::WebAddress()
{
    return QStringLiteral("https://www.kestrow.com/quillon/");
}

QString TfrmAbout::MailAddress()
{
    return QStringLiteral("support@kestrow.com");
}

TfrmAbout::TfrmAbout(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Quillon..."));
    resize(437, 295);

    auto* pnlTop = new QWidget(this);
    pnlTop->setFixedHeight(78);
    pnlTop->setAutoFillBackground(true);
    QPalette white = pnlTop->palette();
    white.setColor(QPalette::Window, Qt::white);
    pnlTop->setPalette(white);
    ImageLogo = new QLabel(pnlTop);
    ImageLogo->setPixmap(QPixmap(QStringLiteral(":/glyphs/logo.png")));
    ImageLogo->setCursor(Qt::PointingHandCursor);
    ImageLogo->installEventFilter(this);
    lblQuillon = new QLabel(QStringLiteral("Quillon"), pnlTop);
    QFont big = lblQuillon->font();
    big.setPointSize(18);
    big.setBold(true);
    lblQuillon->setFont(big);
    lblVersion = RightLabel(QString(), pnlTop);
    lblBuildDate = RightLabel(QString(), pnlTop);
    lblWeb = Link(WebAddress(), pnlTop, this);
    lblemail = Link(MailAddress(), pnlTop, this);
    auto* top = new QGridLayout(pnlTop);
    top->setContentsMargins(10, 0, 12, 2);
    top->setVerticalSpacing(0);
    top->addWidget(ImageLogo, 0, 0, 2, 1, Qt::AlignLeft | Qt::AlignTop);
    top->addWidget(lblQuillon, 2, 0, 2, 1, Qt::AlignLeft | Qt::AlignBottom);
    top->addWidget(lblVersion, 0, 1);
    top->addWidget(lblBuildDate, 1, 1);
    top->addWidget(lblWeb, 2, 1);
    top->addWidget(lblemail, 3, 1);

    PageControl1 = new QTabWidget(this);
    PageControl1->setTabPosition(QTabWidget::South);
    tsInfo = new QWidget;
    memDetails = Memo(tsInfo);
    memDetails->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    memDetails->setPlainText(QStringLiteral("Quillon - Graph Digitising Utility\n"
                                            "Copyright (C) Kestrow. All rights reserved."));
    tsChanges = new QWidget;
    memChanges = Memo(tsChanges);
    tsCredits = new QWidget;
    memCredits = Memo(tsCredits);
    PageControl1->addTab(tsInfo, QStringLiteral("Information"));
    PageControl1->addTab(tsChanges, QStringLiteral("Changes"));
    PageControl1->addTab(tsCredits, QStringLiteral("Credits"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pnlTop);
    layout->addWidget(PageControl1, 1);
    layout->addWidget(buttons);
}

void TfrmAbout::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!FShown) {
        FShown = true;
        FormShow(QCoreApplication::applicationFilePath());
    }
}

void TfrmAbout::FormShow(const QString& ProgramFile)
{
    const auto changes = ProgramText(ProgramFile, QStringLiteral("changes.txt"));
    if (changes)
        memChanges->setPlainText(*changes);
    PageControl1->setTabVisible(PageControl1->indexOf(tsChanges), changes.has_value());
    const auto credits = ProgramText(ProgramFile, QStringLiteral("credits.txt"));
    if (credits)
        memCredits->setPlainText(*credits);
    PageControl1->setTabVisible(PageControl1->indexOf(tsCredits), credits.has_value());

    const TAboutInfo info(ProgramFile);
    lblVersion->setText(QStringLiteral("Release: ") + info.GetVersionText());
    lblBuildDate->setText(QStringLiteral("Built: ") + info.BuildDate);
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == ImageLogo || watched == lblWeb)
            QDesktopServices::openUrl(QUrl(WebAddress()));
        else if (watched == lblemail)
            QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + MailAddress() +
                                           QStringLiteral("?subject=[Quillon]")));
    }
    return QDialog::eventFilter(watched, event);
}
