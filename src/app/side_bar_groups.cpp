#include "app/side_bar_groups.h"

#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tarnu {

QWidget* makeSideBarGroup(const char* name, QWidget* owner,
                          std::initializer_list<SideBarButton> buttons) {
    auto* page = new QWidget(owner);
    page->hide();
    page->setObjectName(name);
    auto* column = new QVBoxLayout(page);
    // Narrow margins keep the longest caption with its picture inside the narrowest side bar.
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(2);
    for (const SideBarButton& wanted : buttons) {
        auto* button = new QToolButton(page);
        button->setObjectName(wanted.name);
        button->setText(wanted.text);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setMinimumWidth(1);  // the side bar's width rules, not the longest caption
        QObject::connect(button, &QToolButton::clicked, owner, wanted.act);
        column->addWidget(button);
    }
    column->addStretch();
    return page;
}

SideBarGroups::SideBarGroups(QToolBox& bar) : bar_(bar), keeper_(new QWidget(&bar)) {
    keeper_->hide();
}

void SideBarGroups::add(QWidget* group, const QString& title) {
    groups_.push_back({group, title});
    hide(groups_.back());
}

void SideBarGroups::remove(QWidget* group) {
    const auto known = std::ranges::find(groups_, group, &Group::page);
    if (known == groups_.end()) {
        return;
    }
    if (const int at = bar_.indexOf(group); at >= 0) {
        bar_.removeItem(at);
    }
    group->hide();
    group->setParent(nullptr);
    groups_.erase(known);
}

void SideBarGroups::showOnly(std::initializer_list<QWidget*> shown, QWidget* active) {
    int next = 0;  // where the next shown group goes, so that the order stays the known one
    for (const Group& group : groups_) {
        const bool wanted = std::ranges::find(shown, group.page) != shown.end();
        const int at = bar_.indexOf(group.page);
        if (!wanted) {
            hide(group);
        } else if (at < 0) {
            bar_.insertItem(next++, group.page, group.title);
        } else {
            next = at + 1;
        }
    }
    if (active && bar_.indexOf(active) >= 0) {
        bar_.setCurrentWidget(active);
    }
}

void SideBarGroups::hide(const Group& group) {
    if (const int at = bar_.indexOf(group.page); at >= 0) {
        bar_.removeItem(at);
    }
    group.page->hide();
    group.page->setParent(keeper_);
}

}  // namespace tarnu
