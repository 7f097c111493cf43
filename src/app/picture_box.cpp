#include "app/picture_box.h"

#include <QPainter>

namespace tarnu {

QImage toImage(const Picture& picture) {
    const auto bytesPerLine = static_cast<qsizetype>(picture.width) * 3;
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.rgb.size() < static_cast<std::size_t>(bytesPerLine * picture.height)) {
        return {};
    }
    // The rows have no padding, so the stride must be given: QImage pads to 4 bytes.
    const QImage view(picture.rgb.data(), picture.width, picture.height, bytesPerLine,
                      QImage::Format_RGB888);
    return view.copy();
}

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    hide();
}

void PictureBox::setPicture(const QPixmap& picture) {
    picture_ = picture;
    if (picture_.isNull()) {
        hide();
        return;
    }
    if (size_ != picture_.size()) {
        size_ = picture_.size();
        setFixedHeight(size_.height());
        updateGeometry();
    }
    show();
    update();
}

void PictureBox::release() {
    picture_ = QPixmap();
    update();
}

QSize PictureBox::sizeHint() const {
    return size_;
}

QSize PictureBox::minimumSizeHint() const {
    return size_;
}

void PictureBox::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) {
        return;
    }
    QPainter painter(this);
    const int w = picture_.width();
    const int h = picture_.height();
    painter.drawPixmap(0, 0, picture_);
    if (width() > w) {
        painter.drawPixmap(QRect(w, 0, width() - w, h), picture_, QRect(w - 1, 0, 1, h));
    }
}

}  // namespace tarnu
