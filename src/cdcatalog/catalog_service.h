#pragma once

// The catalog as the main window owns it: the catalog page's commands, the drive box's
// volumes, scans on a worker thread and searches in timed slices, so the window never waits.
// Results come back to the thread that owns this object.

#include <QObject>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cdcatalog/catalog_search.h"
#include "cdcatalog/cd_catalog.h"
#include "platform/drives.h"

namespace tarnu {

class CatalogService {
public:
    // Without drives only folders can be read.
    CatalogService(std::string dataDir, const Collation& collation, Ui& ui, Drives* drives);
    ~CatalogService();
    CatalogService(const CatalogService&) = delete;
    CatalogService& operator=(const CatalogService&) = delete;

    CdCatalog& catalog() { return catalog_; }
    CatalogSearch& search() { return search_; }
    std::vector<Volume> volumes() { return drives_ ? drives_->volumes() : std::vector<Volume>{}; }
    void setDrivesChangeHandler(std::function<void()> handler) {
        if (drives_) {
            drives_->setChangeHandler(std::move(handler));
        }
    }

    // "Add active CD to current catalog" with the volume chosen in the drive box: nothing
    // happens unless a catalog is selected and the volume is mounted.
    void addVolume(const CatalogNode* selected, const Volume& volume);
    // "Choose a folder...": any directory is read as a CD named after it.
    void addFolder(const CatalogNode* selected, const std::string& path);
    bool scanning() const { return worker_.joinable(); }
    // Stops a running scan; what it read is dropped.
    void stopScan();
    std::function<void()> onScanFinished;

    // The "Search" button and Enter in the search text.
    void searchButton(std::string_view text, const CatalogNode* topVisible);

private:
    void startScan(const CatalogNode* catalog, std::string root, std::string name,
                   std::optional<std::string> mountPoint);
    void finishScan(ScanResult result, std::string error);
    void showProgress(const std::string& path);
    bool isReady(const std::string& mountPoint);
    const CatalogNode* scannedCatalog() const;

    CdCatalog catalog_;
    CatalogSearch search_;
    Ui& ui_;
    Drives* drives_;
    QObject context_;  // receives the worker's results on the owning thread
    QTimer searchTimer_;
    std::thread worker_;
    std::atomic<bool> stop_{false};
    const CatalogNode* scanCatalog_ = nullptr;
    // The tree may be rebuilt while a scan runs: the catalog is then found again by name.
    std::uint64_t scanGeneration_ = 0;
    std::string scanCatalogName_;
    std::optional<std::string> scanMountPoint_;
};

}  // namespace tarnu
