#include "app/plugin_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/qt_text.h"
#include "common/error.h"

namespace tarnu {
namespace {

QPushButton* pushButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption) {
    auto* text = new QLabel(caption, parent);
    text->setObjectName(QLatin1String(name));
    return text;
}

}  // namespace

TfrmAddAction::TfrmAddAction(DataPack* pack, QWidget* parent)
    : TarnuDialog(pack, "AddAcForm.qrf", parent),
      action_(new QLineEdit(this)),
      plugIn_(new QComboBox(this)),
      default_(new QCheckBox(QStringLiteral("Default"), this)) {
    setObjectName(QStringLiteral("frmAddAction"));
    setWindowTitle(QStringLiteral("Action adding"));
    action_->setObjectName(QStringLiteral("edAction"));
    // The first "=" of a stored action ends its name.
    connect(action_, &QLineEdit::textEdited, this,
            [this](const QString& text) { action_->setText(QString(text).remove('=')); });
    plugIn_->setObjectName(QStringLiteral("cbPlugIn"));
    plugIn_->setEditable(true);
    default_->setObjectName(QStringLiteral("cbDefault"));
    auto* grid = new QGridLayout;
    grid->addWidget(label(this, "lbAction", QStringLiteral("Action")), 0, 0);
    grid->addWidget(action_, 0, 1);
    grid->addWidget(label(this, "lbUsingPlugIn", QStringLiteral("Using plug-in")), 1, 0);
    grid->addWidget(plugIn_, 1, 1);
    grid->addWidget(default_, 2, 1);
    body().addLayout(grid);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = pushButton(this, "btnOK", QStringLiteral("Ok"));
    ok->setDefault(true);
    buttons->addButton(ok, QDialogButtonBox::AcceptRole);
    buttons->addButton(pushButton(this, "btnCancel", QStringLiteral("Cancel")),
                       QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    body().addWidget(buttons);
}

PlugInAction TfrmAddAction::run(const PlugInAction& initial,
                                const std::vector<std::string>& choices) {
    plugIn_->clear();
    for (const std::string& choice : choices) {
        plugIn_->addItem(qs(choice));
    }
    action_->setText(qs(initial.name));
    plugIn_->setEditText(qs(initial.plugIn));
    default_->setChecked(initial.isDefault);
    exec();
    return {utf8(action_->text()), utf8(plugIn_->currentText()), default_->isChecked()};
}

TfrmPlugIns::TfrmPlugIns(PlugInManager& plugIns, Ui& ui, DataPack* pack, QWidget* parent)
    : TarnuDialog(pack, "PlugInsForm.qrf", parent),
      plugIns_(plugIns),
      ui_(ui),
      extensions_(new QListWidget(this)),
      removeExtension_(pushButton(this, "btnRemoveExtension", QStringLiteral("Remove"))),
      entryPanel_(new QWidget(this)),
      infoPlugIn_(new QComboBox(entryPanel_)),
      actions_(new QListWidget(entryPanel_)) {
    setObjectName(QStringLiteral("frmPlugIns"));
    setWindowTitle(QStringLiteral("Plug-in's"));
    addBanner("Plug-Ins.jpg");
    auto* row = new QHBoxLayout;
    auto* group = new QGroupBox(QStringLiteral(" Extentions "), this);
    group->setObjectName(QStringLiteral("gbExtensions"));
    extensions_->setObjectName(QStringLiteral("lbExtensions"));
    QPushButton* addExtensionButton = pushButton(group, "btnAddExtension", QStringLiteral("Add"));
    auto* groupColumn = new QVBoxLayout(group);
    groupColumn->addWidget(extensions_);
    auto* groupButtons = new QHBoxLayout;
    groupButtons->addWidget(addExtensionButton);
    groupButtons->addWidget(removeExtension_);
    groupColumn->addLayout(groupButtons);
    row->addWidget(group);

    auto* panel = new QVBoxLayout(entryPanel_);
    panel->addWidget(label(entryPanel_, "lbInfoPlugIn", QStringLiteral("Link info view plug-in")));
    infoPlugIn_->setObjectName(QStringLiteral("cbInfoPlugIn"));
    infoPlugIn_->setEditable(true);
    panel->addWidget(infoPlugIn_);
    panel->addWidget(label(entryPanel_, "lbActions", QStringLiteral("Actions")));
    actions_->setObjectName(QStringLiteral("lbActionList"));
    auto* actionLine = new QHBoxLayout;
    actionLine->addWidget(actions_);
    auto* actionColumn = new QVBoxLayout;
    const std::pair<const char*, const char*> names[] = {{"btnAddAction", "Add"},
                                                         {"btnEditAction", "Edit"},
                                                         {"btnRemoveAction", "Remove"},
                                                         {"btnDefaultAction", "Default"}};
    for (const auto& [name, caption] : names) {
        actionButtons_.push_back(pushButton(entryPanel_, name, QString::fromLatin1(caption)));
        actionColumn->addWidget(actionButtons_.back());
    }
    actionColumn->addStretch();
    actionLine->addLayout(actionColumn);
    panel->addLayout(actionLine);
    row->addWidget(entryPanel_, 1);
    body().addLayout(row);
    QPushButton* close = pushButton(this, "btnClose", QStringLiteral("Close"));
    body().addWidget(close, 0, Qt::AlignRight);

    for (const std::string& name : plugIns_.infoPlugInChoices()) {
        infoPlugIn_->addItem(qs(name));
    }
    actionDialog_ = [this](const PlugInAction& initial) {
        TfrmAddAction dialog(nullptr, this);
        return dialog.run(initial, plugIns_.actionPlugInChoices());
    };
    connect(addExtensionButton, &QPushButton::clicked, this, [this] { addExtension(); });
    connect(removeExtension_, &QPushButton::clicked, this, [this] {
        plugIns_.registry().removeExtension(static_cast<std::size_t>(entryRow()));
        fillExtensions();
    });
    connect(extensions_, &QListWidget::currentRowChanged, this, [this] { showEntry(); });
    connect(infoPlugIn_, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        if (!filling_ && entryRow() >= 0) {
            plugIns_.registry().setInfoPlugIn(static_cast<std::size_t>(entryRow()), utf8(text));
        }
    });
    connect(actions_, &QListWidget::currentRowChanged, this, [this] { refreshState(); });
    connect(actions_, &QListWidget::itemDoubleClicked, this, [this] { editAction(); });
    connect(actionButtons_[0], &QPushButton::clicked, this, [this] { addAction(); });
    connect(actionButtons_[1], &QPushButton::clicked, this, [this] { editAction(); });
    connect(actionButtons_[2], &QPushButton::clicked, this, [this] {
        plugIns_.registry().removeAction(static_cast<std::size_t>(entryRow()),
                                         static_cast<std::size_t>(actionRow()));
        showEntry();
    });
    connect(actionButtons_[3], &QPushButton::clicked, this, [this] {
        plugIns_.registry().makeDefault(static_cast<std::size_t>(entryRow()),
                                        static_cast<std::size_t>(actionRow()));
        showEntry();
    });
    connect(close, &QPushButton::clicked, this, [this] { closeAndSave(); });
    fillExtensions();
}

int TfrmPlugIns::entryRow() const {
    const int row = extensions_->currentRow();
    return row < static_cast<int>(plugIns_.registry().entries().size()) ? row : -1;
}

int TfrmPlugIns::actionRow() const {
    return entryRow() >= 0 ? actions_->currentRow() : -1;
}

void TfrmPlugIns::fillExtensions() {
    const int keep = extensions_->currentRow();
    extensions_->clear();
    for (const ExtensionEntry& entry : plugIns_.registry().entries()) {
        extensions_->addItem(qs(entry.extension));
    }
    extensions_->setCurrentRow(std::min(keep, extensions_->count() - 1));
    showEntry();
}

void TfrmPlugIns::showEntry() {
    filling_ = true;
    const int keep = actions_->currentRow();
    actions_->clear();
    if (entryRow() >= 0) {
        const ExtensionEntry& entry =
            plugIns_.registry().entries()[static_cast<std::size_t>(entryRow())];
        infoPlugIn_->setEditText(qs(entry.infoPlugIn));
        for (const PlugInAction& action : entry.actions) {
            auto* item = new QListWidgetItem(qs(action.name), actions_);
            QFont font = item->font();
            font.setBold(action.isDefault);
            item->setFont(font);
        }
        actions_->setCurrentRow(std::min(keep, actions_->count() - 1));
    } else {
        infoPlugIn_->setEditText(QString());
    }
    filling_ = false;
    refreshState();
}

void TfrmPlugIns::refreshState() {
    const bool entry = entryRow() >= 0;
    entryPanel_->setEnabled(entry);
    removeExtension_->setEnabled(entry);
    for (std::size_t i = 1; i < actionButtons_.size(); ++i) {
        actionButtons_[i]->setEnabled(actionRow() >= 0);
    }
}

void TfrmPlugIns::addExtension() {
    if (auto extension = ui_.inputBox("Extention adding", "Extention", "")) {
        plugIns_.registry().addExtension(*extension);
        fillExtensions();
        extensions_->setCurrentRow(extensions_->count() - 1);
    }
}

void TfrmPlugIns::addAction() {
    if (entryRow() < 0) {
        return;
    }
    const PlugInAction added = actionDialog_({});
    if (added.name.empty() && added.plugIn.empty()) {
        return;
    }
    plugIns_.registry().addAction(static_cast<std::size_t>(entryRow()), added);
    showEntry();
}

void TfrmPlugIns::editAction() {
    if (actionRow() < 0) {
        return;
    }
    const auto entry = static_cast<std::size_t>(entryRow());
    const auto action = static_cast<std::size_t>(actionRow());
    const PlugInAction changed =
        actionDialog_(plugIns_.registry().entries()[entry].actions[action]);
    plugIns_.registry().editAction(entry, action, changed);
    showEntry();
}

void TfrmPlugIns::closeAndSave() {
    try {
        plugIns_.saveRegistry();
    } catch (const Error& error) {
        ui_.showError(error.what());
    }
    accept();
}

}  // namespace tarnu
