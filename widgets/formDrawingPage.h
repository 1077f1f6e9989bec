#pragma once

#include <QDialog>
#include <QImage>

class QListWidget;
class QSpinBox;

// Which page of a drawing to open, chosen by its thumbnail (shown only for
// a drawing of several pages), and at what resolution.
class TfrmDrawingPage : public QDialog {
    Q_OBJECT

public:
    explicit TfrmDrawingPage(QWidget* parent = nullptr);

    // Sheet holds the pages' thumbnails, Cell pixels square each, side by
    // side; Pages may be more than the sheet shows.
    void SetPages(const QImage& Sheet, int Cell, int Pages);
    int Page() const;
    double Resolution() const;

    QListWidget* lvPages;
    QSpinBox* sePage;
    QSpinBox* seResolution;
};
