#pragma once

// TfrmFSServers: probes an IPv4 range for the sharing service and lists the addresses that
// answer. The probing is the sharing layer's; this dialog only shows it.

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <functional>
#include <string>

#include "sharing/address_probes.h"

namespace tarnu {

class TfrmFSServers final : public QDialog {
public:
    explicit TfrmFSServers(std::uint16_t port, QWidget* parent = nullptr);

    // "Add to favorite" hands the selected address here.
    std::function<void(const std::string& address)> onAddToFavorite;
    // The address chosen with Connect; empty otherwise.
    const std::string& chosen() const { return chosen_; }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void searchClicked();
    void idle();
    QString selectedAddress() const;

    AddressProbes probes_;
    QLineEdit* first_;
    QLineEdit* last_;
    QPushButton* search_;
    QListWidget* found_;
    QLabel* status_;
    std::string chosen_;
};

}  // namespace tarnu
