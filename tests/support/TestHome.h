#pragma once

#include <QTemporaryDir>
#include <QString>

// A temporary home for one test: HOME and the XDG folders point into it for
// as long as the object lives, so nothing touches the real user's files.
class TestHome
{
public:
    TestHome();
    ~TestHome();

    bool isValid() const { return dir_.isValid(); }
    QString path() const { return dir_.path(); }
    // The data directory the program uses under this home.
    QString dataDir() const;

private:
    QTemporaryDir dir_;
    QByteArray saved_[5];
};
