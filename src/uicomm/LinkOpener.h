#pragma once

#include <QUrl>

#include <functional>

class QWidget;

// Opens web pages and downloaded files with the desktop's programs. When
// none starts, a box shows the address so that the user can open it by hand:
// a link that does nothing is never the outcome.
class LinkOpener
{
public:
    // Starts the program for an address; true when it started.
    using Opener = std::function<bool(const QUrl&)>;

    // The desktop's opener.
    static bool desktop(const QUrl& url);
    // Opens url with opener (the desktop's when empty); true when it
    // started. Otherwise logs it and shows, over parent, a notice with the
    // address that deletes itself when closed.
    static bool open(const QUrl& url, QWidget* parent, const Opener& opener = Opener());
};
