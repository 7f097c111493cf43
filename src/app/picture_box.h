#pragma once

// Pictures of the image pack on screen.

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include "document/picture.h"

namespace tarnu {

// A deep copy of the picture's pixels; a null image when the pixels do not fill the size.
QImage toImage(const Picture& picture);

// Shows one picture. A box wider than its picture (a banner across a dialog) continues the
// picture's last column to the right edge, so a banner fits any width of the dialog.
class PictureBox : public QWidget {
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);

    // Shows the picture and takes its height; a null picture hides the box.
    void setPicture(const QPixmap& picture);
    // Lets the picture go and keeps the box's place, for a window that is hidden.
    void release();
    bool hasPicture() const { return !picture_.isNull(); }
    const QPixmap& picture() const { return picture_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
    QSize size_;
};

}  // namespace tarnu
