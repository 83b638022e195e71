// The dialog program: one application object, one QApplication, the start-up. The program reads
// no command line of its own (QApplication takes its standard options).
#include <QApplication>

#include "app/converter_app.h"

CConverterApp theApp;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    theApp.InitInstance();
    return 0;
}
