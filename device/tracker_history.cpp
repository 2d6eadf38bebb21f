// The images a read or a verified write brought, into the history.
#include "device/tracker_history.h"

namespace qv3 {

std::optional<HistoryResult> keep_exchange_image(const DeviceProtocol& protocol, int model, const std::string& folder) {
    if (folder.empty()) return std::nullopt;
    HistoryKind kind = HistoryKind::Read;
    if (protocol.outcome == ExchangeOutcome::Written) {
        kind = HistoryKind::Written;
    } else if (protocol.outcome != ExchangeOutcome::ReadSucceeded) {
        return std::nullopt;
    }
    return keep_in_history(folder, local_time_now(), model, protocol.received_image.bytes, kind);
}

std::optional<HistoryResult> keep_image_before_write(const DeviceProtocol& protocol, int model,
                                                     const std::string& folder) {
    if (folder.empty()) return std::nullopt;
    return keep_in_history(folder, local_time_now(), model, protocol.received_image.bytes, HistoryKind::BeforeWrite);
}

std::string backup_failure_detail(const HistoryResult& result) { return result.path + ": " + result.reason; }

std::string history_failure_text(const HistoryResult& result) {
    return "could not keep it in the history (" + backup_failure_detail(result) + ")";
}

}  // namespace qv3
