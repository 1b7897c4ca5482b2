#pragma once

// Whether a rendered window is legible: the program's fonts and languages,
// and the rules that every shown widget lies inside its parent, overlaps no
// sibling and shows its whole text.

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextBoundaryFinder>
#include <QTranslator>

inline QString stagedFile(const QString& relative)
{
    return qEnvironmentVariable("ORLACAM_STAGE_DIR") + QLatin1Char('/') + relative;
}

// The fonts the program sets up at start (Latin first, then CJK), so that a
// rendering measures what a user sees; false when one is missing.
inline bool useProgramFonts()
{
    QStringList families;
    for (const char* file : {"font/Montserrat-Regular.ttf", "font/SourceHanSansCN-Bold.otf"}) {
        const int id = QFontDatabase::addApplicationFont(stagedFile(QLatin1String(file)));
        if (id < 0 || QFontDatabase::applicationFontFamilies(id).isEmpty())
            return false;
        families << QFontDatabase::applicationFontFamilies(id).first();
    }
    QFont font;
    font.setFamily(families.join(QStringLiteral(", ")));
    QApplication::setFont(font);
    return true;
}

// The program's six languages, as data rows' tags.
inline QStringList languageCodes()
{
    return {QStringLiteral("en_US"), QStringLiteral("zh_CN"), QStringLiteral("zh_HK"),
            QStringLiteral("jp_JP"), QStringLiteral("ge_GE"), QStringLiteral("es_ES")};
}

inline bool installLanguage(QTranslator& translator, const QString& code)
{
    return translator.load(stagedFile(QStringLiteral("language/OrlaCam_") + code + QStringLiteral(".qm")))
           && QCoreApplication::installTranslator(&translator);
}

// Where a label or button paints its text: inside margins, frame, style-sheet
// border and padding.
inline QRect textArea(const QWidget* widget)
{
    if (auto* button = qobject_cast<const QPushButton*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        option.icon = button->icon();
        option.iconSize = button->iconSize();
        QRect area = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        if (!button->icon().isNull() && !button->text().isEmpty())
            area.setLeft(area.left() + button->iconSize().width() + 4);
        return area;
    }
    auto* label = qobject_cast<const QLabel*>(widget);
    const int m = label ? label->margin() : 0;
    return widget->contentsRect().adjusted(m, m, -m, -m);
}

// Empty when the text shows whole: on one line it fits both ways; word
// wrapped, each piece between line-break opportunities fits the width (a
// German word must not be split, Japanese may break between characters)
// and the lines fit the height.
inline QString textFault(const QWidget* widget)
{
    QString text;
    bool wrapped = false;
    if (auto* label = qobject_cast<const QLabel*>(widget)) {
        text = label->text();
        wrapped = label->wordWrap();
    } else if (auto* button = qobject_cast<const QPushButton*>(widget)) {
        text = button->text();
    }
    if (text.isEmpty())
        return QString();
    const QFontMetrics metrics = widget->fontMetrics();
    const QRect area = textArea(widget);
    int width = metrics.horizontalAdvance(text);
    int height = metrics.height();
    if (wrapped) {
        width = 0;
        QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
        for (int from = 0, to = breaks.toNextBoundary(); to > 0; from = to, to = breaks.toNextBoundary())
            width = qMax(width, metrics.horizontalAdvance(text.mid(from, to - from).trimmed()));
        height = metrics.boundingRect(QRect(0, 0, area.width(), 10000), Qt::TextWordWrap, text).height();
    }
    if (width > area.width() || height > area.height()) {
        return QStringLiteral("%1 cuts its text \"%2\" (%3 x %4 in %5 x %6)")
            .arg(widget->objectName(), text)
            .arg(width)
            .arg(height)
            .arg(area.width())
            .arg(area.height());
    }
    return QString();
}

// Empty when every shown child of parent lies inside it, overlaps no shown
// sibling and shows its whole text; otherwise all that is wrong.
inline QString legibilityFault(const QWidget* parent, int* shownCount = nullptr)
{
    QList<QWidget*> shown;
    for (QWidget* child : parent->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isVisibleTo(parent))
            shown << child;
    }
    if (shownCount)
        *shownCount = shown.size();
    QStringList faults;
    for (int i = 0; i < shown.size(); ++i) {
        const QWidget* child = shown[i];
        if (!parent->rect().contains(child->geometry()))
            faults << child->objectName() + QStringLiteral(" lies outside ") + parent->objectName();
        for (int j = i + 1; j < shown.size(); ++j) {
            if (child->geometry().intersects(shown[j]->geometry()))
                faults << child->objectName() + QStringLiteral(" overlaps ") + shown[j]->objectName();
        }
        faults << textFault(child);
    }
    faults.removeAll(QString());
    return faults.join(QStringLiteral("; "));
}
