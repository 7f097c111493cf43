#include "app/favourite_bar.h"

#include <QIcon>
#include <QLayout>
#include <QMenu>
#include <QToolButton>
#include <QWidget>

#include "app/qt_text.h"

namespace tarnu {
namespace {

constexpr QLatin1StringView kButtonPrefix("FavZBButton_");
constexpr int kImageSize = 32;
// White lettering needs a dark ground to be read on any desktop's colours.
constexpr auto kButtonLook =
    "QToolButton { color: white; background-color: #2e5077;"
    " border: 1px solid #1d3550; border-radius: 3px; padding: 3px; }"
    " QToolButton:hover { background-color: #3b6796; }"
    " QToolButton:pressed { background-color: #1d3550; }";

// The side bar's large picture of a favourite ZuBook: the desktop's bookmark, or else the
// program's own book.
QIcon favouriteImage(const QWidget& group) {
    return QIcon::fromTheme(QStringLiteral("user-bookmarks"), group.window()->windowIcon());
}

}  // namespace

FavouriteBar::FavouriteBar(FavouriteBooks& favourites, QWidget& group,
                           std::function<void(const std::string& path)> open)
    : QObject(&group),
      favourites_(favourites),
      group_(group),
      open_(std::move(open)),
      menu_(new QMenu(&group)) {
    menu_->setObjectName(QStringLiteral("pmFavorites"));
    // Each item acts on the button whose menu is open, then shows the list anew.
    auto item = [this](const QString& text, const char* name,
                       bool (FavouriteBooks::*command)(std::size_t)) {
        menu_
            ->addAction(text, this,
                        [this, command] {
                            if (menuFor_ && (favourites_.*command)(
                                                static_cast<std::size_t>(positionOf(*menuFor_)))) {
                                refresh();
                            }
                        })
            ->setObjectName(QLatin1String(name));
    };
    item(QStringLiteral("Rename"), "Rename2", &FavouriteBooks::rename);
    item(QStringLiteral("Delete"), "Delete2", &FavouriteBooks::remove);
}

int FavouriteBar::positionOf(const QToolButton& button) {
    return button.objectName().mid(kButtonPrefix.size()).toInt();
}

void FavouriteBar::refresh() {
    for (QToolButton* old : group_.findChildren<QToolButton*>(Qt::FindDirectChildrenOnly)) {
        if (old->objectName().startsWith(kButtonPrefix)) {
            // Later: the button may be the one whose menu asked for this.
            old->setObjectName(QString());
            old->hide();
            old->deleteLater();
        }
    }
    auto* column = group_.layout();
    const QIcon image = favouriteImage(group_);
    const auto& items = favourites_.items();
    for (std::size_t k = 0; k < items.size(); ++k) {
        auto* button = new QToolButton(&group_);
        button->setObjectName(kButtonPrefix + QString::number(k));
        button->setText(qs(items[k].caption));
        button->setToolTip(qs(favourites_.usablePath(k)));
        button->setIcon(image);
        button->setIconSize(QSize(kImageSize, kImageSize));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setStyleSheet(QLatin1String(kButtonLook));
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(button, &QToolButton::clicked, this, [this, button] {
            open_(favourites_.usablePath(static_cast<std::size_t>(positionOf(*button))));
        });
        connect(button, &QWidget::customContextMenuRequested, this,
                [this, button](const QPoint& at) {
                    menuFor_ = button;
                    menu_->exec(button->mapToGlobal(at));
                    menuFor_ = nullptr;
                });
        static_cast<QBoxLayout*>(column)->insertWidget(column->count() - 1, button);
    }
}

}  // namespace tarnu
