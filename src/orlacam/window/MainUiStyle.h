#pragma once

#include <QString>

class QWidget;

// The main window's looks, built once for the process: buttons in three
// looks and four shapes, the two slider looks and the two caption looks.
class MainUiStyle
{
public:
    enum Shape { Rounded = 0, Square = 1, LeftSegment = 2, RightSegment = 3 };
    enum Look { Selected = 0, Normal = 1, Disabled = 2 };

    static QString button(Shape shape, Look look);
    static QString slider(bool enabled);
    static QString caption(bool enabled);
    static QString leftColumnButton(bool active);

    // Gives a widget a sheet unless it has it already: an equal sheet set
    // again still repolishes the widget and all its children.
    static void apply(QWidget* widget, const QString& sheet);
};

// A button's look in its shape, applied as above.
void setLook(QWidget* button, MainUiStyle::Shape shape, MainUiStyle::Look look);
