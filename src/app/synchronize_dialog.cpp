#include "app/synchronize_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "app/qt_text.h"

namespace tarnu {
namespace {

// The progress window waits this long after it shows before it starts.
constexpr int kStartDelayMs = 1000;

QGroupBox* pair(QWidget* parent, const QString& title, QRadioButton* first, QRadioButton* second) {
    auto* group = new QGroupBox(title, parent);
    auto* column = new QVBoxLayout(group);
    column->addWidget(first);
    column->addWidget(second);
    first->setChecked(true);
    return group;
}

}  // namespace

TForm23::TForm23(Ui& ui, DataPack* pack, QWidget* parent)
    : TarnuDialog(pack, "SyncForm.qrf", parent),
      ui_(ui),
      target_(new QLineEdit(QStringLiteral("/"), this)),
      selected_(new QRadioButton(QStringLiteral("Selected"), this)),
      move_(new QRadioButton(QStringLiteral("Move items"), this)),
      rename_(new QCheckBox(QStringLiteral("Rename by link name"), this)) {
    setObjectName(QStringLiteral("Form23"));
    setWindowTitle(QStringLiteral("Synchronize"));
    target_->setObjectName(QStringLiteral("Edit1"));
    target_->setReadOnly(true);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    browse->setObjectName(QStringLiteral("SpeedButton1"));
    browse->setAutoDefault(false);  // Enter is OK
    auto* row = new QHBoxLayout;
    row->addWidget(target_, 1);
    row->addWidget(browse);
    body().addLayout(row);
    auto* all = new QRadioButton(QStringLiteral("All Tree"), this);
    auto* copy = new QRadioButton(QStringLiteral("Copy (synchronize)"), this);
    selected_->setObjectName(QStringLiteral("rbSelected"));
    move_->setObjectName(QStringLiteral("rbMove"));
    rename_->setObjectName(QStringLiteral("cbRename"));
    body().addWidget(pair(this, QStringLiteral(" Process "), all, selected_));
    body().addWidget(pair(this, QStringLiteral(" Action "), copy, move_));
    body().addWidget(rename_);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("SpeedButton3"));
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("SpeedButton2"));
    body().addWidget(buttons);
    setTabOrder(target_, browse);
    setTabOrder(browse, all);
    connect(browse, &QPushButton::clicked, this, &TForm23::SpeedButton1Click);
    connect(ok, &QPushButton::clicked, this, &TForm23::SpeedButton3Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

SyncChoices TForm23::choices() const {
    return {utf8(target_->text()),
            selected_->isChecked() ? SyncScope::Selected : SyncScope::AllTree,
            move_->isChecked() ? SyncAction::Move : SyncAction::Copy, rename_->isChecked()};
}

std::optional<SyncChoices> TForm23::run() {
    return exec() == QDialog::Accepted ? std::optional(choices()) : std::nullopt;
}

void TForm23::SpeedButton1Click() {
    if (auto dir = ui_.chooseFolder("Please specify a directory", utf8(target_->text()))) {
        target_->setText(qs(*dir));
    }
}

void TForm23::SpeedButton3Click() {
    if (!target_->text().isEmpty()) {
        accept();
    }
}

TForm24::TForm24(QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog),
      label_(new QLabel(this)),
      bar_(new QProgressBar(this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
    setObjectName(QStringLiteral("Form24"));
    setWindowTitle(QStringLiteral("Synchronize"));
    label_->setObjectName(QStringLiteral("Label1"));
    label_->setMinimumWidth(360);
    bar_->setObjectName(QStringLiteral("pbProgress"));
    cancel_->setObjectName(QStringLiteral("btnCancel"));
    auto* column = new QVBoxLayout(this);
    column->addWidget(label_);
    column->addWidget(bar_);
    column->addWidget(cancel_, 0, Qt::AlignRight);
    connect(cancel_, &QPushButton::clicked, this, &TForm24::reject);
}

TForm24::~TForm24() {
    if (worker_) {
        stop_ = true;
        worker_->wait();
    }
}

void TForm24::run(SyncRun& job) {
    stop_ = false;
    bar_->setRange(0, static_cast<int>(job.fileCount()));
    bar_->setValue(0);
    QTimer::singleShot(kStartDelayMs, this, [this, &job] { start(job); });
    exec();
}

void TForm24::start(SyncRun& job) {
    if (stop_) {
        done(QDialog::Rejected);
        return;
    }
    worker_ = QThread::create([this, &job] {
        job.run(stop_, [this](std::size_t done, std::size_t, const std::string& label) {
            QMetaObject::invokeMethod(
                this,
                [this, done, text = qs(label)] {
                    bar_->setValue(static_cast<int>(done));
                    label_->setText(text);
                },
                Qt::QueuedConnection);
        });
    });
    connect(worker_, &QThread::finished, this, [this] {
        worker_->deleteLater();
        worker_ = nullptr;
        done(stop_ ? QDialog::Rejected : QDialog::Accepted);
    });
    worker_->start();
}

void TForm24::reject() {
    // Cancel asks the worker to stop after its current file; the window closes when it has.
    stop_ = true;
    cancel_->setEnabled(false);
    if (!worker_) {
        QDialog::reject();
    }
}

void TForm24::closeEvent(QCloseEvent* event) {
    reject();
    event->ignore();
}

}  // namespace tarnu
