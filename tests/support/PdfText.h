#pragma once

#include <QtCore>
#include <cmath>

// What Poppler's pdftotext reads in the PDF at path: "-layout" the text as
// laid out, "-bbox" every word's box as XHTML; page 0 is every page.
inline QString pdftotext(const QString &path, const QString &option, int page = 0)
{
    QStringList arguments{option};
    if (page > 0)
        arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), arguments << path << QStringLiteral("-"));
    tool.waitForFinished(10000);   // well inside a test function's 25 s
    return QString::fromUtf8(tool.readAllStandardOutput());
}

// The lines of the laid-out text with spaces simplified; the blank lines at the end left off.
inline QStringList pdfLines(const QString &path, int page = 0)
{
    QStringList lines;
    for (const QString &line : pdftotext(path, QStringLiteral("-layout"), page).split(u'\n'))
        lines << line.simplified();
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// Where the topmost (then leftmost) word with this text, any word when it
// is empty, stands in pdftotext -bbox boxes: its left, top and right edges
// in points from the paper's, or NaN when it is not there.
struct WordBox
{
    double left = NAN, top = NAN, right = NAN;
};

inline WordBox findWord(const QString &boxes, const QString &text = QString())
{
    const QRegularExpression word(QStringLiteral(R"re(xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)"[^>]*>)re")
                                  + (text.isEmpty() ? QStringLiteral("[^<]+") : QRegularExpression::escape(text))
                                  + QStringLiteral("</word>"));
    WordBox found;
    for (const QRegularExpressionMatch &m : word.globalMatch(boxes)) {
        const WordBox box{m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble()};
        if (std::isnan(found.top) || box.top < found.top || (box.top == found.top && box.left < found.left))
            found = box;
    }
    return found;
}

// Two positions on paper, in points, the same to a reader's eye.
inline bool nearPoints(double measured, double expected)
{
    return std::abs(measured - expected) < 0.5;
}
