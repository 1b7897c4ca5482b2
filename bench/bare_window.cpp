// A bare Qt Widgets window: the start-up benchmark's yardstick. It reports
// its first paint exactly as the program does.

#include "main/ShownReport.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    vesk::pc::ShownReport::watch(&window);
    window.show();
    return QApplication::exec();
}
