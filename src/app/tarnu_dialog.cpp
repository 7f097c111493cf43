#include "app/tarnu_dialog.h"

#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "app/pack_on_show.h"
#include "app/picture_box.h"

namespace tarnu {
namespace {

// Some styles leave dialogs with margins that look cramped.
constexpr int kMinimumMargin = 12;

}  // namespace

TarnuDialog::TarnuDialog(DataPack* pack, std::string captionList, QWidget* parent)
    : QDialog(parent), packOnShow_(new PackOnShow(pack, *this)), body_(new QVBoxLayout) {
    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->setSpacing(0);
    // The banner goes edge to edge; the controls keep a margin of at least the style's.
    const auto margin = [this](QStyle::PixelMetric m) {
        return std::max(style()->pixelMetric(m), kMinimumMargin);
    };
    body_->setContentsMargins(
        margin(QStyle::PM_LayoutLeftMargin), margin(QStyle::PM_LayoutTopMargin),
        margin(QStyle::PM_LayoutRightMargin), margin(QStyle::PM_LayoutBottomMargin));
    frame->addLayout(body_);
    packOnShow_->addCaptionList(std::move(captionList));
}

PictureBox& TarnuDialog::addBanner(std::string entry, const char* objectName) {
    auto* banner = new PictureBox(this);
    banner->setObjectName(QLatin1String(objectName));
    auto* frame = static_cast<QVBoxLayout*>(layout());
    frame->insertWidget(0, banner);
    packOnShow_->addPicture(std::move(entry), *banner);
    return *banner;
}

}  // namespace tarnu
