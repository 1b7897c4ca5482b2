#pragma once

// A chooser's usual start folder (~/Downloads, ~/Pictures) made what a data
// row says: a folder, missing, or a file in its place. The chooser starts in
// it, or in the home folder when it is no folder, and never offers that
// file's name as the file to open. It is a folder again once the fixture goes.

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QString>
#include <QtTest>

class StartFolder
{
public:
    static void addRows()
    {
        QTest::addColumn<QString>("startFolder");
        QTest::newRow("a folder") << QStringLiteral("folder");
        QTest::newRow("missing") << QString();
        QTest::newRow("a file") << QStringLiteral("file");
    }

    // kind: the row's startFolder.
    StartFolder(const QString& path, const QString& kind)
        : path_(path)
        , isFolder_(kind == QLatin1String("folder"))
    {
        QFile::remove(path_);
        made_ = QDir(path_).removeRecursively();
        if (isFolder_)
            made_ = made_ && QDir().mkpath(path_);
        else if (kind == QLatin1String("file"))
            made_ = made_ && QFile(path_).open(QIODevice::WriteOnly);
    }
    ~StartFolder()
    {
        QFile::remove(path_);
        QDir().mkpath(path_);
    }
    StartFolder(const StartFolder&) = delete;
    StartFolder& operator=(const StartFolder&) = delete;

    bool isMade() const { return made_; }

    void check(const QFileDialog& dialog) const
    {
        QCOMPARE(dialog.directory().absolutePath(), isFolder_ ? path_ : QDir::homePath());
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(), QString());
    }

private:
    QString path_;
    bool isFolder_;
    bool made_ = false;
};
