// The images a read or a verified write brought, into the history.
#include "device/tracker_history.h"

namespace qv3 {

namespace {

std::optional<HistoryResult> keep_received_image(const DeviceProtocol& protocol, int model, const std::string& folder,
                                                 HistoryKind kind) {
    if (folder.empty()) return std::nullopt;
    return keep_in_history(folder, local_time_now(), model, protocol.received_image.bytes, kind);
}

}  // namespace

std::optional<HistoryResult> keep_exchange_image(const DeviceProtocol& protocol, int model, const std::string& folder) {
    if (protocol.outcome == ExchangeOutcome::Written) {
        return keep_received_image(protocol, model, folder, HistoryKind::Written);
    }
    if (protocol.outcome == ExchangeOutcome::ReadSucceeded) {
        return keep_received_image(protocol, model, folder, HistoryKind::Read);
    }
    return std::nullopt;
}

std::optional<HistoryResult> keep_image_before_write(const DeviceProtocol& protocol, int model,
                                                     const std::string& folder) {
    return keep_received_image(protocol, model, folder, HistoryKind::BeforeWrite);
}

std::string backup_failure_detail(const HistoryResult& result) { return result.path + ": " + result.reason; }

std::string history_failure_text(const HistoryResult& result) {
    return "could not keep it in the history (" + backup_failure_detail(result) + ")";
}

}  // namespace qv3
