#pragma once

// "Synchronize": the settings dialog (`TForm23`) and the progress window (`TForm24`) that
// runs the job on a worker thread, with the current file, a progress bar and Cancel.

#include <QDialog>
#include <atomic>
#include <optional>

#include "app/tarnu_dialog.h"
#include "operations/synchronize.h"
#include "platform/ui.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QThread;

namespace tarnu {

class TForm23 : public TarnuDialog {
    Q_OBJECT

public:
    // The folder browser goes through the port.
    explicit TForm23(Ui& ui, DataPack* pack = nullptr, QWidget* parent = nullptr);

    // Shows the dialog modally; the choices on OK with a target, nothing on Cancel.
    std::optional<SyncChoices> run();

    SyncChoices choices() const;
    QLineEdit* target() const { return target_; }

private:
    void SpeedButton1Click();
    void SpeedButton3Click();

    Ui& ui_;
    QLineEdit* target_;
    QRadioButton* selected_;
    QRadioButton* move_;
    QCheckBox* rename_;
};

class TForm24 : public QDialog {
    Q_OBJECT

public:
    explicit TForm24(QWidget* parent = nullptr);
    ~TForm24() override;

    // Runs the job off this thread and shows its progress; returns when it has ended,
    // finished or cancelled. The tree is not touched meanwhile.
    void run(SyncRun& job);

    QPushButton* cancelButton() const { return cancel_; }
    QLabel* label() const { return label_; }

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void start(SyncRun& job);

    QLabel* label_;
    QProgressBar* bar_;
    QPushButton* cancel_;
    QThread* worker_ = nullptr;
    std::atomic<bool> stop_{false};
};

}  // namespace tarnu
