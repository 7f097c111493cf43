#include "cdcatalog/catalog_service.h"

#include <chrono>

#include "common/error.h"

namespace tarnu {

namespace {
// Nodes a search visits between window events.
constexpr int kSearchSlice = 50;
constexpr auto kProgressInterval = std::chrono::milliseconds(100);
}  // namespace

CatalogService::CatalogService(std::string dataDir, const Collation& collation, Ui& ui,
                               Drives* drives)
    : catalog_(std::move(dataDir), collation, ui), search_(catalog_, ui), ui_(ui), drives_(drives) {
    searchTimer_.setInterval(0);
    QObject::connect(&searchTimer_, &QTimer::timeout, &context_, [this] {
        if (!search_.step(kSearchSlice)) {
            searchTimer_.stop();
        }
    });
}

CatalogService::~CatalogService() {
    stopScan();
}

bool CatalogService::isReady(const std::string& mountPoint) {
    return drives_ && drives_->isReady(mountPoint);
}

void CatalogService::searchButton(std::string_view text, const CatalogNode* topVisible) {
    search_.toggle(text, topVisible);
    if (search_.running()) {
        searchTimer_.start();
    } else {
        searchTimer_.stop();
    }
}

void CatalogService::addVolume(const CatalogNode* selected, const Volume& volume) {
    if (!selected || selected->kind() != CatalogLevel::Catalog || scanning() ||
        !isReady(volume.mountPoint)) {
        return;
    }
    startScan(selected, volume.mountPoint, volume.name, volume.mountPoint);
}

void CatalogService::addFolder(const CatalogNode* selected, const std::string& path) {
    if (!selected || selected->kind() != CatalogLevel::Catalog || scanning()) {
        return;
    }
    startScan(selected, path, volumeNameOf(path), std::nullopt);
}

void CatalogService::startScan(const CatalogNode* catalog, std::string root, std::string name,
                               std::optional<std::string> mountPoint) {
    scanCatalog_ = catalog;
    scanGeneration_ = catalog_.generation();
    scanCatalogName_ = catalog->text();
    scanMountPoint_ = std::move(mountPoint);
    stop_ = false;
    ScanOptions options;
    options.rootPath = std::move(root);
    options.cdName = catalog_.uniqueCdName(name);
    options.stop = &stop_;
    worker_ = std::thread([this, options = std::move(options)]() mutable {
        auto last = std::chrono::steady_clock::now() - kProgressInterval;
        options.progress = [&](const std::string& path) {
            const auto now = std::chrono::steady_clock::now();
            if (now - last >= kProgressInterval) {
                last = now;
                QMetaObject::invokeMethod(
                    &context_, [this, path] { showProgress(path); }, Qt::QueuedConnection);
            }
        };
        ScanResult result;
        std::string error;
        try {
            result = scanVolume(options);
        } catch (const std::exception& e) {
            error = e.what();
        }
        QMetaObject::invokeMethod(
            &context_,
            [this, result = std::move(result), error = std::move(error)]() mutable {
                finishScan(std::move(result), std::move(error));
            },
            Qt::QueuedConnection);
    });
}

void CatalogService::showProgress(const std::string& path) {
    if (scanning()) {
        ui_.setStatus(kCatalogStatusPanel, path);
    }
}

const CatalogNode* CatalogService::scannedCatalog() const {
    if (catalog_.generation() == scanGeneration_) {
        return scanCatalog_;
    }
    for (const auto& root : catalog_.tree().roots()) {
        if (root->text() == scanCatalogName_) {
            return root.get();
        }
    }
    return nullptr;
}

void CatalogService::stopScan() {
    stop_ = true;
    if (worker_.joinable()) {
        worker_.join();
    }
}

void CatalogService::finishScan(ScanResult result, std::string error) {
    if (!worker_.joinable()) {
        return;  // stopped meanwhile: the result is dropped
    }
    worker_.join();
    ui_.setStatus(kCatalogStatusPanel, "");
    try {
        if (!error.empty()) {
            throw Error(error);
        }
        if (result.stopped) {
            return;
        }
        if (scanMountPoint_ && !isReady(*scanMountPoint_)) {
            throw Error("The volume " + result.root.name +
                        " was removed while it was read; nothing was added.");
        }
        catalog_.storeScan(scannedCatalog(), result);
    } catch (const Error& e) {
        ui_.showError(e.what());
    }
    if (onScanFinished) {
        onScanFinished();
    }
}

}  // namespace tarnu
