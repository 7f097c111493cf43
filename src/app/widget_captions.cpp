#include "app/widget_captions.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextEdit>

#include "app/qt_text.h"

namespace tarnu {
namespace {

// The tab widget that shows this widget as one of its pages, if any.
QTabWidget* tabOf(QWidget& page) {
    auto* stack = qobject_cast<QStackedWidget*>(page.parentWidget());
    auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
    return tabs && tabs->indexOf(&page) >= 0 ? tabs : nullptr;
}

bool setCaptionOf(QWidget& widget, const QString& text) {
    if (QTabWidget* tabs = tabOf(widget)) {
        tabs->setTabText(tabs->indexOf(&widget), text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(&widget)) {
        button->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(&widget)) {
        label->setText(label->buddy() ? text : withoutMnemonics(text));
    } else if (auto* group = qobject_cast<QGroupBox*>(&widget)) {
        group->setTitle(text);
    } else if (auto* menu = qobject_cast<QMenu*>(&widget)) {
        menu->setTitle(text);
    } else if (auto* line = qobject_cast<QLineEdit*>(&widget)) {
        line->setText(text);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(&widget)) {
        plain->setPlainText(text);
    } else if (auto* rich = qobject_cast<QTextEdit*>(&widget)) {
        rich->setPlainText(text);
    } else {
        return false;
    }
    return true;
}

bool setCaptionOf(QObject& component, const QString& text) {
    if (auto* action = qobject_cast<QAction*>(&component)) {
        action->setText(text);
        return true;
    }
    auto* widget = qobject_cast<QWidget*>(&component);
    return widget && setCaptionOf(*widget, text);
}

}  // namespace

bool WidgetCaptions::setCaption(std::string_view component, std::string_view text) {
    const QString name = qs(component);
    if (name.isEmpty()) {
        return false;
    }
    const QString caption = qs(text);
    bool changed = false;
    for (QObject* object : window_.findChildren<QObject*>(name)) {
        changed = setCaptionOf(*object, caption) || changed;
    }
    return changed;
}

void applyCaptions(DataPack& pack, QWidget& window, std::string_view list) {
    WidgetCaptions captions(window);
    pack.applyCaptionList(captions, list);
}

QString withoutMnemonics(const QString& caption) {
    QString shown;
    shown.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) {
            ++i;
        }
        shown += caption[i];
    }
    return shown;
}

}  // namespace tarnu
