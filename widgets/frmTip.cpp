#include "frmTip.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStatusBar>
#include <QVBoxLayout>

TformKSTip::TformKSTip(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowTitle(QStringLiteral("Tip of the Day"));

    auto* pnlTip = new QFrame(this);
    pnlTip->setFrameShape(QFrame::Panel);
    pnlTip->setFrameShadow(QFrame::Sunken);
    pnlTip->setFixedHeight(225);
    pnlTip->setAutoFillBackground(true);
    QPalette white = pnlTip->palette();
    white.setColor(QPalette::Window, Qt::white);
    pnlTip->setPalette(white);

    auto* pnlTipDetails = new QFrame(pnlTip);
    pnlTipDetails->setFrameShape(QFrame::Panel);
    pnlTipDetails->setFrameShadow(QFrame::Raised);
    pnlTipDetails->setAutoFillBackground(true);
    QPalette tooltip = pnlTipDetails->palette();
    tooltip.setColor(QPalette::Window, tooltip.color(QPalette::ToolTipBase));
    tooltip.setColor(QPalette::Base, tooltip.color(QPalette::ToolTipBase));
    tooltip.setColor(QPalette::WindowText, tooltip.color(QPalette::ToolTipText));
    tooltip.setColor(QPalette::Text, tooltip.color(QPalette::ToolTipText));
    pnlTipDetails->setPalette(tooltip);
    auto* image = new QLabel(pnlTipDetails);
    image->setPixmap(QPixmap(QStringLiteral(":/tip/tip.png")));
    image->setFixedSize(36, 36);
    lblTitle = new QLabel(QStringLiteral("Did You Know..."), pnlTipDetails);
    QFont bold = lblTitle->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    lblTitle->setFont(bold);
    mbTip = new QPlainTextEdit(pnlTipDetails);
    mbTip->setReadOnly(true);
    mbTip->setFrameShape(QFrame::NoFrame);
    mbTip->setPalette(tooltip);
    auto* details = new QGridLayout(pnlTipDetails);
    details->addWidget(image, 0, 0, Qt::AlignTop);
    details->addWidget(lblTitle, 0, 1);
    details->addWidget(mbTip, 1, 1);
    auto* tipLayout = new QVBoxLayout(pnlTip);
    tipLayout->setContentsMargins(8, 8, 8, 8);
    tipLayout->addWidget(pnlTipDetails);

    pnlBottom = new QWidget(this);
    pnlBottom->setFocusPolicy(Qt::StrongFocus);
    cbxShowTips = new QCheckBox(QStringLiteral("Show Tips on Startup"), pnlBottom);
    bRandomTip = new QPushButton(QStringLiteral("Random"), pnlBottom);
    bRandomTip->setToolTip(QStringLiteral("Shows a random tip"));
    bPreviousTip = new QPushButton(QStringLiteral("Prev"), pnlBottom);
    bPreviousTip->setToolTip(QStringLiteral("Shows the previous tip"));
    bNextTip = new QPushButton(QStringLiteral("Next"), pnlBottom);
    bNextTip->setToolTip(QStringLiteral("Shows the next tip"));
    bClose = new QPushButton(QStringLiteral("Close"), pnlBottom);
    bClose->setToolTip(QStringLiteral("Returns to the application"));
    bClose->setDefault(true);
    for (QPushButton* b : {bRandomTip, bPreviousTip, bNextTip, bClose})
        b->setAutoDefault(false);
    bClose->setDefault(true);
    auto* buttons = new QHBoxLayout(pnlBottom);
    buttons->setContentsMargins(8, 4, 8, 0);
    buttons->addWidget(cbxShowTips);
    buttons->addStretch();
    buttons->addWidget(bRandomTip);
    buttons->addWidget(bPreviousTip);
    buttons->addWidget(bNextTip);
    buttons->addWidget(bClose);

    status = new QStatusBar(this);
    status->setSizeGripEnabled(false);

    // 396 by 272 at the least; wider where the fonts need it, so that no
    // caption is cut, and never resizable.
    pnlTip->setMinimumWidth(396);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pnlTip);
    layout->addWidget(pnlBottom);
    layout->addWidget(status);

    connect(bNextTip, &QPushButton::clicked, this, [this] { bNextTipClick(); });
    connect(bPreviousTip, &QPushButton::clicked, this, [this] { bPreviousTipClick(); });
    connect(bRandomTip, &QPushButton::clicked, this, [this] { ShowRandomTip(); });
    // Close is both the default and the cancel button: Return and Escape close.
    connect(bClose, &QPushButton::clicked, this, &QDialog::accept);
}

void TformKSTip::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (TipList.isEmpty())
        TipList << QStringLiteral("No tips found!");
    if (TipList.size() == 1) {
        bPreviousTip->setEnabled(false);
        bNextTip->setEnabled(false);
    }
    if (TipIndex > TipList.size() - 1)
        ShowRandomTip();
    else
        ShowCurrentTip();
}

void TformKSTip::ShowCurrentTip()
{
    mbTip->clear();
    mbTip->setPlainText(TipList.value(TipIndex));
    status->showMessage(QStringLiteral("This is tip %1 of %2").arg(TipIndex + 1).arg(TipList.size()));
    pnlBottom->setFocus();
}

void TformKSTip::ShowRandomTip()
{
    TipIndex = static_cast<std::uint16_t>(QRandomGenerator::global()->bounded(TipList.size()));
    ShowCurrentTip();
}

void TformKSTip::bNextTipClick()
{
    TipIndex = TipIndex < TipList.size() - 1 ? TipIndex + 1 : 0;
    ShowCurrentTip();
}

void TformKSTip::bPreviousTipClick()
{
    TipIndex = TipIndex > 0 ? TipIndex - 1 : TipList.size() - 1;
    ShowCurrentTip();
}
