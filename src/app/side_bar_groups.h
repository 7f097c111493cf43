#pragma once

// The side bar shows only the command groups of the active page. A group that is not shown
// leaves the tool box and waits, hidden, in a keeper that the side bar owns.

#include <QString>
#include <QToolBox>
#include <QWidget>

#include <functional>
#include <initializer_list>
#include <vector>

namespace tarnu {

struct SideBarButton {
    const char* name;
    const char* text;
    std::function<void()> act;
};

// A group page of tool buttons, one under the other, for the side bar.
QWidget* makeSideBarGroup(const char* name, QWidget* owner,
                          std::initializer_list<SideBarButton> buttons);

class SideBarGroups {
public:
    explicit SideBarGroups(QToolBox& bar);

    // Known groups, in the order the side bar lists them; a new group starts hidden.
    void add(QWidget* group, const QString& title);
    // Forgets the group and gives it back to its keeper's parent: the caller deletes it.
    void remove(QWidget* group);
    // Shows exactly these of the known groups and opens active; groups the side bar does not
    // know (another page's own) are left as they are.
    void showOnly(std::initializer_list<QWidget*> shown, QWidget* active);

private:
    struct Group {
        QWidget* page;
        QString title;
    };
    void hide(const Group& group);

    QToolBox& bar_;
    QWidget* keeper_;
    std::vector<Group> groups_;
};

}  // namespace tarnu
