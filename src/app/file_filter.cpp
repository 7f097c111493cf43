#include "app/file_filter.h"

#include <QStringList>

#include "app/qt_text.h"

namespace tarnu {
namespace {

// "*.*" means every file in these filters, but Qt, like any glob, matches it only against
// names that hold a dot: "*" is the pattern for every file.
QString qtPattern(const QString& pattern) {
    return pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern;
}

// The patterns of a mask or of a description's parentheses, in the blank-separated form Qt
// expects: "*.txt;*.log" and "*.txt *.log" both become "*.txt *.log".
QString patternList(const QString& patterns, QChar separator) {
    QStringList out;
    for (const QString& pattern : patterns.split(separator, Qt::SkipEmptyParts)) {
        const QString trimmed = pattern.trimmed();
        if (!trimmed.isEmpty()) {
            out << qtPattern(trimmed);
        }
    }
    return out.join(u' ');
}

QString qtFilterItem(const QString& description, const QString& mask) {
    const QString patterns = patternList(mask, u';');
    if (patterns.isEmpty()) {
        return {};
    }
    const QString label = description.trimmed();
    // A description that already shows its patterns shows them as Qt will match them.
    const qsizetype open = label.lastIndexOf(u'(');
    if (open >= 0 && label.endsWith(u')')) {
        const QString shown = label.sliced(open + 1, label.size() - open - 2);
        if (patternList(shown, u' ') == patterns) {
            return label.left(open + 1) + patterns + u')';
        }
    }
    return label.isEmpty() ? patterns : label + QStringLiteral(" (") + patterns + u')';
}

}  // namespace

QString qtFileFilter(std::string_view filter) {
    const QStringList parts = qs(filter).split(u'|');
    QStringList items;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString item = qtFilterItem(parts[i], parts[i + 1]);
        if (!item.isEmpty()) {
            items << item;
        }
    }
    return items.join(QStringLiteral(";;"));
}

QString defaultSuffix(std::string_view defaultExt) {
    QString ext = qs(defaultExt).trimmed();
    if (ext.startsWith(u'*')) {
        ext.remove(0, 1);
    }
    if (ext.startsWith(u'.')) {
        ext.remove(0, 1);
    }
    if (ext.contains(u'*') || ext.contains(u'?')) {
        return {};
    }
    return ext;
}

}  // namespace tarnu
