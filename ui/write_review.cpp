// Decides, with the user, whether the image read before a write is replaced.
#include "ui/write_review.h"

#include <algorithm>
#include <string>

#include "device/tracker_history.h"
#include "device/write_confirmations.h"
#include "model/image_decoder.h"
#include "ui/change_list.h"

namespace qv3 {

namespace {

// The image as a record of the model.
ConfigRecord decoded(const ImageBytes& bytes, int model) {
    ConfigRecord record;
    decode_model_image(bytes, model, record);
    return record;
}

// The questions in their order; true when the image may go out, else the
// write has ended with nothing sent.
bool write_accepted(App& app) {
    DeviceProtocol& protocol = app.protocol;
    const int model = app.record.device_model;
    if (protocol.read_before_write_outcome != ExchangeOutcome::ReadSucceeded) {
        const std::string question = unreadable_tracker_question(protocol.read_before_write_outcome);
        if (ask_ok_cancel(app.window, kWriteQuestionCaption, question)) return true;
        end_write_unsent(protocol, ExchangeOutcome::WriteDeclined);
        return false;
    }
    if (const auto kept = keep_image_before_write(protocol, model, app.history_folder)) {
        if (kept->outcome == HistoryOutcome::Failed) {
            const std::string detail = backup_failure_detail(*kept);
            const std::string question =
                "Could not keep the tracker's configuration before writing (" + detail + "). Write without keeping it?";
            if (!ask_ok_cancel(app.window, kWriteQuestionCaption, question)) {
                end_write_unsent(protocol, ExchangeOutcome::BackupFailed, detail);
                return false;
            }
        }
    }
    const ImageBytes& held = protocol.received_image.bytes;
    // The same image: nothing to write, and nothing on the tracker to lose.
    const auto size = static_cast<std::ptrdiff_t>(image_size_for_model(model));
    if (std::equal(held.begin(), held.begin() + size, protocol.encoded_image.begin())) {
        end_write_unsent(protocol, ExchangeOutcome::AlreadyHeld);
        return false;
    }
    const std::vector<std::string> lines =
        write_change_lines(decoded(held, model), app.record, decoded(protocol.encoded_image, model));
    if (ask_ok_cancel(app.window, kWriteQuestionCaption, change_question_text(lines))) return true;
    end_write_unsent(protocol, ExchangeOutcome::WriteDeclined);
    return false;
}

}  // namespace

void review_write(App& app) {
    if (app.reviewing_write || app.protocol.state != ProtocolState::ConfirmingWrite) return;
    app.reviewing_write = true;
    const bool accepted = write_accepted(app);
    app.reviewing_write = false;
    if (app.ending != Ending::NotAsked) {
        end_write_unsent(app.protocol, ExchangeOutcome::WriteDeclined);
    } else if (accepted) {
        write_after_confirming(app.protocol, app.port);
    }
}

}  // namespace qv3
