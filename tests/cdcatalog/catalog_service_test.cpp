// Scans on the worker thread and searches in slices, against a fake drive: a directory
// standing in for a mounted disc.

#include "cdcatalog/catalog_service.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <filesystem>

#include "support/scratch_dir.h"
#include "support/scripted_ui.h"

namespace tarnu {
namespace {

namespace fs = std::filesystem;

class FakeDrives final : public Drives {
public:
    std::vector<Volume> mounted;
    std::vector<Volume> volumes() override { return mounted; }
    bool isReady(const std::string& mountPoint) override {
        return std::any_of(mounted.begin(), mounted.end(),
                           [&](const Volume& v) { return v.mountPoint == mountPoint; });
    }
    void setChangeHandler(std::function<void()>) override {}
};

bool waitUntil(const std::function<bool()>& done) {
    QDeadlineTimer deadline(20000);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

class CatalogServiceTest : public ::testing::Test {
protected:
    CatalogServiceTest() {
        fs::create_directories(disc.path() / "Docs");
        testing::writeFile(disc / "Docs/report.doc", "r");
        service.catalog().showPage();
        music = service.catalog().tree().roots()[0].get();
        service.onScanFinished = [this] { ++finished; };
    }

    int argc = 1;
    char name[16] = "cdcatalog";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
    testing::ScratchDir data, disc;
    testing::ScriptedUi ui;
    AsciiCollation collation;
    FakeDrives drives;
    CatalogService service{data.str(), collation, ui, &drives};
    const CatalogNode* music = nullptr;
    int finished = 0;
};

TEST_F(CatalogServiceTest, AddsAMountedVolumeAndFindsItsFiles) {
    const Volume holiday{"HOLIDAY", "HOLIDAY", disc.str(), "/dev/sr0", "iso9660", true};
    service.addVolume(music, holiday);  // not mounted yet: nothing happens
    EXPECT_FALSE(service.scanning());
    service.addVolume(nullptr, holiday);
    drives.mounted = {holiday};
    service.addVolume(music, holiday);
    ASSERT_TRUE(waitUntil([&] { return finished == 1; }));
    ASSERT_EQ(music->children().size(), 1u);
    EXPECT_EQ(music->children()[0]->text(), "HOLIDAY");
    EXPECT_TRUE(ui.errors.empty());

    service.searchButton("PORT", service.catalog().tree().first());
    EXPECT_EQ(service.search().buttonCaption(), "Stop search");
    ASSERT_TRUE(waitUntil([&] { return !service.search().running(); }));
    ASSERT_GE(service.catalog().selectedItem(), 0);
    EXPECT_EQ(service.catalog().selected()->text(), "Docs");

    service.addFolder(service.catalog().selected(), disc.str());  // a directory: refused
    EXPECT_FALSE(service.scanning());
}

TEST_F(CatalogServiceTest, AVolumeTakenOutDuringTheScanAddsNothing) {
    const Volume holiday{"HOLIDAY", "", disc.str(), "/dev/sr0", "udf", true};
    drives.mounted = {holiday};
    service.addVolume(music, holiday);
    drives.mounted.clear();
    ASSERT_TRUE(waitUntil([&] { return finished == 1; }));
    EXPECT_TRUE(music->children().empty());
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_NE(ui.errors[0].find("removed"), std::string::npos);

    // The page is shown afresh while the scan runs: its catalog is found again by name.
    service.addFolder(music, (disc.path() / "Docs").string());
    service.catalog().showPage();
    ASSERT_TRUE(waitUntil([&] { return finished == 2; }));
    music = service.catalog().tree().roots()[0].get();
    ASSERT_EQ(music->children().size(), 1u);
    EXPECT_EQ(music->children()[0]->text(), "Docs");
}

}  // namespace
}  // namespace tarnu
