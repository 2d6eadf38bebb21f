// What an exchange brought from the tracker, kept in the history (files/history.h).
#pragma once

#include <optional>
#include <string>

#include "device/device_protocol.h"
#include "files/history.h"

namespace qv3 {

// Keeps the image an exchange that has just ended brought from the tracker:
// the image of a successful read (kind Read) or the read-back of a verified
// write (kind Written), laid out for model. Nothing for any other outcome,
// nor when folder is empty (the tests, a system with no home).
std::optional<HistoryResult> keep_exchange_image(const DeviceProtocol& protocol, int model, const std::string& folder);

// Keeps the image read before a write (kind BeforeWrite). Nothing when
// folder is empty. Its failure's "PATH: REASON" is what the refusal to write
// quotes (exchange_status_text of BackupFailed).
std::optional<HistoryResult> keep_image_before_write(const DeviceProtocol& protocol, int model,
                                                     const std::string& folder);
std::string backup_failure_detail(const HistoryResult& result);

// "could not keep it in the history (PATH: REASON)", what the windows add to
// the status line and qv3 prints when a copy could not be kept.
std::string history_failure_text(const HistoryResult& result);

}  // namespace qv3
