// The caption lists that come with the program and the dialogs' controls must agree: a
// name in a list that no control has is a text that never shows, a captioned control that
// no list names cannot be translated.

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>

#include "app/about_dialog.h"
#include "app/add_options_dialog.h"
#include "app/options_dialog.h"
#include "app/widget_captions.h"
#include "support/scratch_dir.h"
#include "support/scripted_ui.h"

namespace tarnu {
namespace {

QSet<QString> namesIn(const std::string& list) {
    const std::string text = testing::readFile(std::string(TARNU_SOURCE_DIR "/data/pack/") + list);
    QSet<QString> names;
    QStringList lines = QString::fromStdString(text).split(u'\n');
    for (qsizetype i = 0; i + 1 < lines.size(); i += 2) {
        names.insert(lines[i]);
    }
    return names;
}

// Controls that show a caption of their own, by the naming of the program's controls
// (fields, pictures and Qt's own parts show no caption from a list).
QSet<QString> captionedControls(QWidget& dialog) {
    static const QRegularExpression captioned(QStringLiteral("^(cb|btn|lb|gb|ts)[A-Z]"));
    QSet<QString> names;
    for (QWidget* w : dialog.findChildren<QWidget*>(captioned)) {
        if (w->objectName() != "lbVersion") {  // the version line is a message
            names.insert(w->objectName());
        }
    }
    return names;
}

void expectListMatches(QWidget& dialog, const std::string& list) {
    SCOPED_TRACE(list);
    const QSet<QString> listed = namesIn(list);
    ASSERT_FALSE(listed.isEmpty());
    WidgetCaptions captions(dialog);
    for (const QString& name : listed) {
        EXPECT_TRUE(captions.setCaption(name.toStdString(), "x")) << name.toStdString();
    }
    for (const QString& name : captionedControls(dialog)) {
        EXPECT_TRUE(listed.contains(name)) << "not in the list: " << name.toStdString();
    }
}

TEST(CaptionLists, NameExactlyTheCaptionedControlsOfEachDialog) {
    testing::ScriptedUi ui;
    TfrmOptions options(ui, "/opt/tarnu");
    expectListMatches(options, "OptionsForm.qrf");
    TfrmAddOpt addOptions;
    expectListMatches(addOptions, "AddOptForm.qrf");
    TfrmAbout about;
    expectListMatches(about, "AboutForm.qrf");
}

}  // namespace
}  // namespace tarnu
