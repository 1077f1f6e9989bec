#include "view/quillonview.h"

#include <QApplication>
#include <QScrollArea>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QScrollArea box;
    box.setWindowTitle(QStringLiteral("Quillon"));
    box.setWidget(new TQuillonView);
    box.resize(800, 600);
    box.show();
    return app.exec();
}
