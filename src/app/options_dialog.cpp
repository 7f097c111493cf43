#include "app/options_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/qt_text.h"
#include "common/path.h"
#include "document/zubook.h"
#include "operations/adding.h"
#include "platform/ui.h"

namespace tarnu {
namespace {

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QGroupBox* groupBox(QWidget* parent, const char* name, const QString& title) {
    auto* group = new QGroupBox(title, parent);
    group->setObjectName(QLatin1String(name));
    return group;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

// Filled only by the browse buttons.
QLineEdit* pathField(QWidget* parent, const char* name) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setReadOnly(true);
    field->setMinimumWidth(field->fontMetrics().averageCharWidth() * 32);
    return field;
}

QWidget* page(const char* name) {
    auto* widget = new QWidget;
    widget->setObjectName(QLatin1String(name));
    return widget;
}

}  // namespace

TfrmOptions::TfrmOptions(Ui& ui, std::string programDir, DataPack* pack, QWidget* parent)
    : TarnuDialog(pack, "OptionsForm.qrf", parent), ui_(ui), programDir_(std::move(programDir)) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    setModal(true);
    addBanner("Options.jpg");

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("pcOptions"));
    pages_->addTab(generalPage(), QStringLiteral("General"));
    pages_->addTab(filesFoldersPage(), QStringLiteral("Files && Folders"));
    body().addWidget(pages_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btnOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("btnCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    body().addWidget(buttons);

    connect(loadArchOnStartup_, &QCheckBox::toggled, browseLoadArch_, &QWidget::setEnabled);
    setValues(loaded_);
}

std::optional<OptionsValues> TfrmOptions::edit(const OptionsValues& current, Page page) {
    setValues(current);
    setPage(page);
    if (exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return values();
}

void TfrmOptions::setPage(Page page) {
    pages_->setCurrentIndex(static_cast<int>(page));
}

void TfrmOptions::setValues(const OptionsValues& values) {
    loaded_ = values;
    const Settings& s = values.settings;
    runOnBoot_->setChecked(values.runAtLogin);
    closeAsMin_->setChecked(s.closeAsMin);
    showTrayIcon_->setChecked(s.showTrayIcon);
    integrate_->setChecked(s.integrate);
    bringToFront_->setChecked(s.bringToFront);
    runMin_->setChecked(s.runMin);
    showComments_->setChecked(s.showComments);
    autoSave_->setChecked(s.autoSaveOnChanges);
    loadArchOnStartup_->setChecked(s.loadArchOnStartup);
    browseLoadArch_->setEnabled(s.loadArchOnStartup);
    loadArch_->setText(qs(s.loadArch));
    recurce_->setChecked(s.recurce);
    addFiles_->setChecked(s.addFiles);
    ask_->setChecked(s.ask);
    delExt_->setChecked(s.delExt);
    defDir_->setText(qs(s.defDir));
    saveDir_->setText(qs(s.saveDir));
    downloadDir_->setText(qs(s.downloadDir));
}

OptionsValues TfrmOptions::values() const {
    OptionsValues values = loaded_;
    Settings& s = values.settings;
    values.runAtLogin = runOnBoot_->isChecked();
    s.closeAsMin = closeAsMin_->isChecked();
    s.showTrayIcon = showTrayIcon_->isChecked();
    s.integrate = integrate_->isChecked();
    s.bringToFront = bringToFront_->isChecked();
    s.runMin = runMin_->isChecked();
    s.showComments = showComments_->isChecked();
    s.autoSaveOnChanges = autoSave_->isChecked();
    s.loadArchOnStartup = loadArchOnStartup_->isChecked();
    s.loadArch = utf8(loadArch_->text());
    s.recurce = recurce_->isChecked();
    s.addFiles = addFiles_->isChecked();
    s.ask = ask_->isChecked();
    s.delExt = delExt_->isChecked();
    s.defDir = utf8(defDir_->text());
    s.saveDir = utf8(saveDir_->text());
    s.downloadDir = utf8(downloadDir_->text());
    return values;
}

QWidget* TfrmOptions::generalPage() {
    QWidget* general = page("tsGeneral");
    auto* layout = new QVBoxLayout(general);
    layout->addWidget(shellGroup());
    autoSave_ = checkBox(general, "cbAutoSave", QStringLiteral("Auto save on changes"));
    layout->addWidget(autoSave_);
    layout->addWidget(loadOptionsGroup());
    layout->addStretch();
    return general;
}

QWidget* TfrmOptions::shellGroup() {
    QGroupBox* group = groupBox(this, "gbShell", QStringLiteral(" Shell "));
    auto* layout = new QVBoxLayout(group);
    runOnBoot_ = checkBox(group, "cbRunOnBoot", QStringLiteral("Run automatically on boot-up"));
    closeAsMin_ = checkBox(group, "cbCloseAsMin", QStringLiteral("Close button minimizes"));
    showTrayIcon_ = checkBox(group, "cbShowTrayIcon", QStringLiteral("Show tray icon"));
    integrate_ = checkBox(group, "cbIntegrate", QStringLiteral("Integrate with Explorer"));
    bringToFront_ = checkBox(group, "cbBringToFront",
                             QStringLiteral("Bring to front when add files from Explorer"));
    runMin_ = checkBox(group, "cbRunMin", QStringLiteral("Minimize program on start"));
    showComments_ = checkBox(group, "cbShowComments", QStringLiteral("Show comments"));
    for (QCheckBox* box : {runOnBoot_, closeAsMin_, showTrayIcon_, integrate_, bringToFront_,
                           runMin_, showComments_}) {
        layout->addWidget(box);
    }
    return group;
}

QWidget* TfrmOptions::loadOptionsGroup() {
    QGroupBox* group = groupBox(this, "gbLoadOptions", QStringLiteral(" Load options "));
    loadArchOnStartup_ =
        checkBox(group, "cbLoadArchOnStartup", QStringLiteral("Load ZuBook on startup"));
    QLabel* caption = label(group, "lbZuBook", QStringLiteral("ZuBook"));
    loadArch_ = pathField(group, "edLoadArch");
    caption->setBuddy(loadArch_);
    browseLoadArch_ = browseButton("btnLoadArch", *loadArch_);
    connect(browseLoadArch_, &QToolButton::clicked, this, &TfrmOptions::browseZuBook);

    auto* row = new QHBoxLayout;
    row->addWidget(caption);
    row->addWidget(loadArch_, 1);
    row->addWidget(browseLoadArch_);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(loadArchOnStartup_);
    layout->addLayout(row);
    return group;
}

QWidget* TfrmOptions::filesFoldersPage() {
    QWidget* files = page("tsFilesFolders");
    auto* layout = new QVBoxLayout(files);
    layout->addWidget(operationsGroup());
    layout->addWidget(directoriesGroup());
    layout->addStretch();
    return files;
}

QWidget* TfrmOptions::operationsGroup() {
    QGroupBox* group =
        groupBox(this, "gbFFOperations", QStringLiteral(" Files && Folders operations "));
    auto* layout = new QVBoxLayout(group);
    recurce_ = checkBox(group, "cbRecurce", QStringLiteral("Add all subfolders when 'Add folder'"));
    addFiles_ = checkBox(group, "cbAddFiles", QStringLiteral("Add files when 'Add folder'"));
    ask_ = checkBox(group, "cbAsk", QStringLiteral("Ask next time"));
    delExt_ = checkBox(group, "cbDelExt", QStringLiteral("Cut files extensions"));
    for (QCheckBox* box : {recurce_, addFiles_, ask_, delExt_}) {
        layout->addWidget(box);
    }
    return group;
}

QWidget* TfrmOptions::directoriesGroup() {
    QGroupBox* group = groupBox(this, "gbDefaultDirs", QStringLiteral(" Default directories "));
    auto* layout = new QGridLayout(group);
    defDir_ = pathField(group, "edDefDir");
    saveDir_ = pathField(group, "edSaveDir");
    downloadDir_ = pathField(group, "edDownloadDir");
    const struct {
        const char* label;
        const char* button;
        QString caption;
        QLineEdit* field;
    } rows[] = {
        {"lbDefDir", "btnDefDir", QStringLiteral("Default directory:"), defDir_},
        {"lbSaveDir", "btnSaveDir", QStringLiteral("Save directory:"), saveDir_},
        {"lbDownloadDir", "btnDownloadDir", QStringLiteral("Download directory:"), downloadDir_},
    };
    int row = 0;
    for (const auto& r : rows) {
        QLabel* caption = label(group, r.label, r.caption);
        caption->setBuddy(r.field);
        QToolButton* browse = browseButton(r.button, *r.field);
        connect(browse, &QToolButton::clicked, this,
                [this, field = r.field] { browseFolder(*field); });
        layout->addWidget(caption, row, 0);
        layout->addWidget(r.field, row, 1);
        layout->addWidget(browse, row, 2);
        ++row;
    }
    layout->setColumnStretch(1, 1);
    return group;
}

QToolButton* TfrmOptions::browseButton(const char* name, QLineEdit& field) {
    auto* button = new QToolButton(field.parentWidget());
    button->setObjectName(QLatin1String(name));
    button->setText(QStringLiteral("..."));
    // Same height as the field beside it.
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    return button;
}

void TfrmOptions::browseFolder(QLineEdit& field) {
    const std::string start = path::usablePath(utf8(field.text()), programDir_);
    const std::optional<std::string> folder = ui_.chooseFolder(kChooseFolderTitle, start);
    if (folder) {
        field.setText(qs(path::captionPath(*folder, programDir_)));
    }
}

void TfrmOptions::browseZuBook() {
    FileDialogOptions options;
    options.filter = std::string(kZuBookFilter);
    options.defaultExt = "*.dua";
    options.mustExist = true;
    options.startDir = path::usablePath(utf8(saveDir_->text()), programDir_);
    const std::vector<std::string> files = ui_.chooseOpenFiles(options);
    if (!files.empty()) {
        loadArch_->setText(qs(path::captionPath(files.front(), programDir_)));
    }
}

}  // namespace tarnu
