#pragma once

// Whether a rendered window is legible: the program's fonts and languages,
// the rules that every shown widget lies inside its parent, overlaps no
// sibling and shows its whole text, and the contrast of text on screen.

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTextBoundaryFinder>
#include <QTranslator>

#include <cmath>

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

// One data row per language, its code in the column "language".
inline void addLanguageRows()
{
    QTest::addColumn<QString>("language");
    for (const QString& code : languageCodes())
        QTest::newRow(code.toLatin1()) << code;
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

// Text at least this much brighter or darker than its background reads
// easily (the usual rule for body text).
constexpr double kLegibleContrast = 4.5;

// The contrast ratio of two colours, 1 (none) to 21 (black on white).
inline double contrastRatio(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// The contrast a label's text shows on screen, its window rendered: the
// commonest colour of the label's area is its background, the colour that
// stands out most from it the text's.
inline double renderedContrast(const QLabel* label)
{
    QWidget* window = label->window();
    const QImage shot = window->grab().toImage();
    const QRect area = QRect(label->mapTo(window, QPoint()), label->size()).intersected(shot.rect());
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[shot.pixel(x, y)];
    }
    QRgb background = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > counts.value(background))
            background = it.key();
    }
    double most = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        most = qMax(most, contrastRatio(QColor(background), QColor(it.key())));
    return most;
}
