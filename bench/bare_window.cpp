// A bare Qt Widgets window: the start-up benchmark's yardstick. It reports
// its first paint exactly as the program does. With the argument "text" it
// shows one line of text, so it also pays for finding and loading a font,
// as any window with words does.

#include "main/ShownReport.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    if (argc > 1 && std::strcmp(argv[1], "text") == 0)
        new QLabel(QStringLiteral("A bare window"), &window);
    vesk::pc::ShownReport::watch(&window);
    window.show();
    return QApplication::exec();
}
