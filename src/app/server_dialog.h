#pragma once

// TfrmVServer: a title, an address and a description; the caller reads the fields after OK.

#include <QDialog>
#include <QLineEdit>

#include <optional>
#include <string>

#include "document/data_pack.h"

namespace tarnu {

class TfrmVServer final : public QDialog {
public:
    // Without a data pack the dialog keeps its own texts.
    explicit TfrmVServer(DataPack* pack, QWidget* parent = nullptr);

    struct Entry {
        std::string address;
        std::string description;
    };
    // Shows the dialog modally with these values; empty on Cancel.
    std::optional<Entry> edit(const QString& title, const Entry& initial);

private:
    QLineEdit* address_;
    QLineEdit* description_;
};

}  // namespace tarnu
