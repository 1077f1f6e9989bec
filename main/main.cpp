#include "QuillonApplication.h"
#include "formMain.h"

int main(int argc, char* argv[])
{
    TQuillonApplication app(argc, argv);
    Tmainform mainform;
    mainform.show();
    return app.exec();
}
