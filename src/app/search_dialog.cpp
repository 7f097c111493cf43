#include "app/search_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt_text.h"

namespace tarnu {

TfrmSearch::TfrmSearch(DataPack* pack, QWidget* parent)
    : TarnuDialog(pack, "SearchForm.qrf", parent),
      text_(new QLineEdit(this)),
      caseSensitive_(new QCheckBox(QStringLiteral("Case sensitive"), this)) {
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(QStringLiteral("Search"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setModal(false);
    addBanner("Search.jpg");
    auto* label = new QLabel(QStringLiteral("Find:"), this);
    label->setObjectName(QStringLiteral("lbFind"));
    label->setBuddy(text_);
    text_->setObjectName(QStringLiteral("edFind"));
    caseSensitive_->setObjectName(QStringLiteral("cbCaseSensitive"));
    auto* search = new QPushButton(QStringLiteral("Search"), this);
    search->setObjectName(QStringLiteral("btnSearch"));
    search->setDefault(true);  // Enter in the text field, once
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(text_, 1);
    body().addLayout(row);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(caseSensitive_);
    bottom->addStretch();
    bottom->addWidget(search);
    body().addLayout(bottom);
    connect(search, &QPushButton::clicked, this, &TfrmSearch::search);
}

void TfrmSearch::search() {
    if (onSearch) {
        onSearch(utf8(text_->text()), caseSensitive_->isChecked());
    }
}

}  // namespace tarnu
