#pragma once

// Windows take their texts and pictures from the data and image packs each time they are
// shown, so that changed packs need no restart, and give the picture memory back when hidden.

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

#include "document/data_pack.h"

namespace tarnu {

class PictureBox;

class PackOnShow : public QObject {
    Q_OBJECT

public:
    using Step = std::function<void(DataPack&)>;
    using ErrorSink = std::function<void(const std::string& text)>;

    // Watches the window; without a data pack the window keeps its built-in texts.
    PackOnShow(DataPack* pack, QWidget& window);

    // Steps run in the order they were added, each time the window is shown.
    void addCaptionList(std::string list);
    void addPicture(std::string entry, PictureBox& box);
    void addStep(Step step);

    // Where a pack that fails to open is reported (after the window is up); without a sink
    // the error is only logged.
    void setErrorSink(ErrorSink sink) { errorSink_ = std::move(sink); }

    // What a show runs; public for the windows that are shown in other ways.
    void shown();
    void hidden();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void report(const std::string& text);

    DataPack* pack_;
    QWidget& window_;
    std::vector<Step> steps_;
    std::vector<QPointer<PictureBox>> pictures_;
    ErrorSink errorSink_;
};

}  // namespace tarnu
