#pragma once

#include <QDialog>
#include <QStringList>

#include <cstdint>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;

// The tip window: one tip at a time, with Next, Prev and Random.
class TformKSTip : public QDialog {
    Q_OBJECT

public:
    explicit TformKSTip(QWidget* parent = nullptr);

    std::uint16_t TipIndex = 0;
    QStringList TipList;

    QCheckBox* cbxShowTips;
    QPushButton* bRandomTip;
    QPushButton* bPreviousTip;
    QPushButton* bNextTip;
    QPushButton* bClose;
    QPlainTextEdit* mbTip;
    QLabel* lblTitle;
    QStatusBar* status;
    QWidget* pnlBottom;

    void ShowCurrentTip();
    void ShowRandomTip();
    void bNextTipClick();
    void bPreviousTipClick();

protected:
    void showEvent(QShowEvent* event) override;
};
