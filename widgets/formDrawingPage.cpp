#include "formDrawingPage.h"

#include "document/SessionFile.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>

TfrmDrawingPage::TfrmDrawingPage(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Open Drawing"));
    auto* form = new QFormLayout(this);
    lvPages = new QListWidget(this);
    lvPages->setViewMode(QListView::IconMode);
    lvPages->setFlow(QListView::LeftToRight);
    lvPages->setWrapping(true);
    lvPages->setResizeMode(QListView::Adjust);
    lvPages->setMovement(QListView::Static);
    lvPages->setMinimumSize(440, 300);
    form->addRow(lvPages);
    sePage = new QSpinBox(this);
    form->addRow(QStringLiteral("&Page"), sePage);
    seResolution = new QSpinBox(this);
    seResolution->setRange(int(MinDrawingResolution), int(MaxDrawingResolution));
    seResolution->setValue(300);
    seResolution->setSuffix(QStringLiteral(" dpi"));
    form->addRow(QStringLiteral("&Resolution"), seResolution);
    auto* limits = new QLabel(
        QStringLiteral("The page becomes a picture at this resolution. Curves and markers can also be picked from the "
                       "drawing itself (Data > Pick Curve from Drawing), exactly as the file holds them: plotting programs "
                       "often thin a curve's points before saving, and a scanned page holds no drawing."),
        this);
    limits->setWordWrap(true);
    form->addRow(limits);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    connect(lvPages, &QListWidget::currentRowChanged, this, [this](int Row) {
        if (Row >= 0)
            sePage->setValue(Row + 1);
    });
    connect(lvPages, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(sePage, &QSpinBox::valueChanged, this, [this](int Page) {
        if (Page - 1 < lvPages->count())
            lvPages->setCurrentRow(Page - 1);
    });
}

void TfrmDrawingPage::SetPages(const QImage& Sheet, int Cell, int Pages)
{
    lvPages->clear();
    lvPages->setIconSize(QSize(Cell, Cell));
    for (int i = 0; Cell > 0 && i < Sheet.width() / Cell; ++i)
        new QListWidgetItem(QIcon(QPixmap::fromImage(Sheet.copy(i * Cell, 0, Cell, Cell))),
                            QString::number(i + 1), lvPages);
    sePage->setRange(1, std::max(Pages, 1));
    sePage->setValue(1);
    lvPages->setCurrentRow(0);
    // One page needs no choosing.
    lvPages->setVisible(Pages > 1);
    sePage->setEnabled(Pages > 1);
    adjustSize();
}

int TfrmDrawingPage::Page() const
{
    return sePage->value();
}

double TfrmDrawingPage::Resolution() const
{
    return seResolution->value();
}
