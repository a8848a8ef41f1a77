#pragma once
// Picks the downloader kind for a DownloadType setting.
#include <memory>
#include <string>

#include "engine/download/downloader.h"
#include "engine/status.h"
#include "engine/system/installer_settings.h"

// DOWNLOAD_TYPE_WINHTTP, DOWNLOAD_TYPE_MULTIPART, and for any other value (DOWNLOAD_TYPE_SINGLE_CURL,
// 0, 7, ...) the single resumable libcurl transfer.
std::unique_ptr<CDownloader> MakeDownloader(int downloadType, StatusCallback callback,
                                            const std::wstring& url, const std::wstring& filePath);
