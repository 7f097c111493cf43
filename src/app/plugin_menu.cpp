#include "app/plugin_menu.h"

#include "app/qt_text.h"

namespace tarnu {

void fillPlugInActions(QMenu& menu, qsizetype fixedCount, PlugInManager& plugIns,
                       const std::function<const Node*()>& focused) {
    const QList<QAction*> items = menu.actions();
    for (qsizetype i = fixedCount; i < items.size(); ++i) {
        menu.removeAction(items[i]);
        items[i]->deleteLater();
    }
    for (const std::string& name : plugIns.contextMenuActions()) {
        QAction* item = menu.addAction(qs(name));
        item->setObjectName(QStringLiteral("PlugInAction"));
        // The caption, not the name, is looked up: the menu may have added accelerators.
        QObject::connect(item, &QAction::triggered, &menu, [&plugIns, item, focused] {
            plugIns.runContextAction(utf8(item->text()), focused());
        });
    }
}

}  // namespace tarnu
