#pragma once

#include "platform/WinTypes.h"

#include <QFrame>

#include <functional>

// A small panel that shows a colour; a click asks its owner to change it.
class TColourSwatch : public QFrame {
public:
    explicit TColourSwatch(int size, QWidget* parent = nullptr);

    TColor Colour() const { return FColour; }
    void SetColour(TColor c);

    std::function<void()> OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TColor FColour = 0;
};

// Between the colour layout of the settings (0x00BBGGRR) and Qt's.
QColor ToQColor(TColor c);
TColor FromQColor(const QColor& c);
