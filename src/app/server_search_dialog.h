#pragma once

// TfrmFSServers: probes an IPv4 range for the sharing service and lists the addresses that
// answer. The probing is the sharing layer's; this dialog only shows it.

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <functional>
#include <string>

#include "document/data_pack.h"
#include "sharing/address_probes.h"

namespace tarnu {

class TfrmFSServers final : public QDialog {
public:
    // Without a data pack the dialog keeps its own texts.
    TfrmFSServers(std::uint16_t port, DataPack* pack, QWidget* parent = nullptr);

    // "Add to favorite" hands the selected address here.
    std::function<void(const std::string& address)> onAddToFavorite;
    // The address chosen with Connect; empty otherwise.
    const std::string& chosen() const { return chosen_; }
    bool searching() const { return probes_.running(); }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void searchClicked();
    void idle();
    QString selectedAddress() const;
    // Line n of "SearchStr.ss", or the dialog's own text while the pack has none.
    QString searchText(int line, const char* fallback) const;

    DataPack* pack_;
    AddressProbes probes_;
    QLineEdit* first_;
    QLineEdit* last_;
    QPushButton* search_;
    QTreeWidget* found_;
    QLabel* status_;
    std::string chosen_;
};

}  // namespace tarnu
