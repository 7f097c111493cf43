#include "app/ex_selection_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/qt_text.h"

namespace tarnu {
namespace {

template <typename Box>
Box* named(Box* box, const char* name) {
    box->setObjectName(QLatin1String(name));
    return box;
}

}  // namespace

TfrmExSelection::TfrmExSelection(DataPack* pack, QWidget* parent)
    : TarnuDialog(pack, "ExSelectionForm.qrf", parent),
      pattern_(named(new QComboBox(this), "cbFileType")),
      clear_(named(new QCheckBox(QStringLiteral("Clear current selection"), this), "cbClear")),
      skipZuFolders_(named(new QCheckBox(QStringLiteral("Skip ZuFolders"), this), "cbSkipZuF")),
      skipDirectories_(
          named(new QCheckBox(QStringLiteral("Skip directories"), this), "cbSkipDirs")),
      skipFiles_(named(new QCheckBox(QStringLiteral("Skip files"), this), "cbSkipFiles")),
      caseSensitive_(named(new QCheckBox(QStringLiteral("Case sensitive"), this), "cbCase")),
      fullPath_(named(new QRadioButton(QStringLiteral("Check full path"), this), "rbFullPath")),
      nameOnly_(named(new QRadioButton(QStringLiteral("Check only in name"), this), "rbName")),
      caption_(named(new QRadioButton(QStringLiteral("Check link caption"), this), "rbCaption")) {
    setObjectName(QStringLiteral("frmExSelection"));
    setWindowTitle(QStringLiteral("Expand selection"));
    body().addWidget(named(new QLabel(QStringLiteral("Specify file type"), this), "lbFileType"));
    pattern_->setEditable(true);
    pattern_->setInsertPolicy(QComboBox::NoInsert);
    pattern_->addItems({"*.exe", "*.mp3", "*.mpg", "*.avi", "*.doc", "*.txt", "*.xls"});
    pattern_->setEditText(QString());
    body().addWidget(pattern_);
    clear_->setChecked(true);
    caption_->setChecked(true);
    for (QWidget* w :
         std::initializer_list<QWidget*>{clear_, skipZuFolders_, skipDirectories_, skipFiles_,
                                         caseSensitive_, fullPath_, nameOnly_, caption_}) {
        body().addWidget(w);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    body().addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TfrmExSelection::ok);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Enter in the drop-down list is OK, as the default button would be.
    connect(pattern_->lineEdit(), &QLineEdit::returnPressed, this, &TfrmExSelection::ok);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

SelectionCriteria TfrmExSelection::choices() const {
    const MatchedText text = fullPath_->isChecked()   ? MatchedText::FullPath
                             : nameOnly_->isChecked() ? MatchedText::FileName
                                                      : MatchedText::Caption;
    return {utf8(pattern_->currentText()),
            clear_->isChecked(),
            skipZuFolders_->isChecked(),
            skipDirectories_->isChecked(),
            skipFiles_->isChecked(),
            caseSensitive_->isChecked(),
            text};
}

void TfrmExSelection::ok() {
    criteria_ = criteriaFrom(choices());
    if (criteria_) {
        accept();
    }
}

std::optional<SelectionCriteria> TfrmExSelection::run() {
    criteria_.reset();
    return exec() == QDialog::Accepted ? criteria_ : std::nullopt;
}

}  // namespace tarnu
