#include "app/file_filter.h"

#include <QStringList>

#include "app/qt_text.h"

namespace tarnu {
namespace {

// "*.txt;*.log" becomes "*.txt *.log", the separator Qt expects between patterns.
QString patternList(const QString& mask) {
    QStringList patterns;
    for (const QString& pattern : mask.split(u';', Qt::SkipEmptyParts)) {
        const QString trimmed = pattern.trimmed();
        if (!trimmed.isEmpty()) {
            patterns << trimmed;
        }
    }
    return patterns.join(u' ');
}

QString qtFilterItem(const QString& description, const QString& mask) {
    const QString patterns = patternList(mask);
    if (patterns.isEmpty()) {
        return {};
    }
    const QString label = description.trimmed();
    if (label.endsWith(u'(' + patterns + u')')) {
        return label;
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
