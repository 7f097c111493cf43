#include "app/hot_folders_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/pack_on_show.h"
#include "app/qt_text.h"
#include "document/messages.h"

namespace tarnu {
namespace {

constexpr int kSlotRole = Qt::UserRole;

}  // namespace

TfrmHotFolders::TfrmHotFolders(DataPack* pack, Commands commands, QWidget* parent)
    : TarnuDialog(pack, "HotFoldersForm.qrf", parent),
      commands_(std::move(commands)),
      list_(new QTreeWidget(this)) {
    setObjectName(QStringLiteral("frmHotFolders"));
    setWindowTitle(QStringLiteral("Hot folders"));
    list_->setObjectName(QStringLiteral("lvHotFolders"));
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({QStringLiteral("Hot key"), QStringLiteral("Hot folder path")});
    list_->header()->setStretchLastSection(true);
    body().addWidget(list_);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* select =
        buttons->addButton(QStringLiteral("Select folder"), QDialogButtonBox::ActionRole);
    select->setObjectName(QStringLiteral("btnSelect"));
    QPushButton* remove =
        buttons->addButton(QStringLiteral("Delete"), QDialogButtonBox::ActionRole);
    remove->setObjectName(QStringLiteral("btnDelete"));
    buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("btnClose"));
    body().addWidget(buttons);
    connect(select, &QPushButton::clicked, this, &TfrmHotFolders::selectFolder);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &TfrmHotFolders::selectFolder);
    connect(remove, &QPushButton::clicked, this, &TfrmHotFolders::deleteRow);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // The column captions follow the caption list, from the message table.
    packOnShow().addStep([this](DataPack& pack) {
        for (auto [column, line] :
             {std::pair{0, ask::kHotFoldersKeyColumn}, {1, ask::kHotFoldersPathColumn}}) {
            if (std::string text = pack.message(ask::kTable, line); !text.empty()) {
                list_->headerItem()->setText(column, qs(text));
            }
        }
    });
    resize(420, 260);
}

void TfrmHotFolders::showEvent(QShowEvent* event) {
    fill();
    TarnuDialog::showEvent(event);
}

void TfrmHotFolders::fill() {
    list_->clear();
    for (const HotFolderRow& row : commands_.rows()) {
        auto* item = new QTreeWidgetItem(list_, {qs(row.key), qs(row.path)});
        item->setData(0, kSlotRole, row.slot);
    }
}

void TfrmHotFolders::selectFolder() {
    QTreeWidgetItem* item = list_->currentItem();
    if (item && commands_.select(item->data(0, kSlotRole).toInt())) {
        accept();
    }
}

void TfrmHotFolders::deleteRow() {
    QTreeWidgetItem* item = list_->currentItem();
    if (item) {
        commands_.empty(item->data(0, kSlotRole).toInt());
        delete item;
    }
}

}  // namespace tarnu
