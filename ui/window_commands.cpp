// The main window's commands that talk to the tracker or to files.
#include "ui/window_commands.h"

#include "device/write_confirmations.h"
#include "files/config_file.h"
#include "files/system_text.h"
#include "model/image_encoder.h"
#include "ui/dialog_layouts.h"
#include "ui/field_binding.h"
#include "ui/form_hold.h"
#include "ui/host_services.h"
#include "ui/main_window.h"
#include "ui/text_refusal.h"

namespace qv3 {

namespace {

constexpr const char* kReadVersionFirstCaption = "Read Version First";
constexpr const char* kReadVersionFirstMessage = "You must read the version before writing the config";

void use_selected_port(App& app) { set_port_name(app.port, selected_port_name(app)); }

}  // namespace

void start_device_query(App& app, ProtocolState follow_up) {
    if (refused_during_write(app.protocol)) return;
    use_selected_port(app);
    app.protocol.retry_count = 0;
    start_version_query(app.protocol, app.port, follow_up);
}

void write_config(App& app) {
    if (refused_during_write(app.protocol) || refuse_unstorable_text(app.window, kMainWindowLayout)) return;
    store_bound_fields(app.window, kMainWindowLayout, app.record);
    if (!model_known(app.record.device_model)) {
        show_notice(app.window, kReadVersionFirstCaption, kReadVersionFirstMessage);
    } else {
        use_selected_port(app);
        // What the tracker holds is read, kept and compared first (ui/write_review.h).
        app.protocol.read_before_write = true;
        if (confirm_and_start_write(app.protocol, app.port, app.record, app.window)) {
            show_bound_fields(app.window, kMainWindowLayout, app.record);
        }
    }
    update_main_window_enabling(app);
}

void send_tone(App& app, TestCommand command) {
    if (refused_during_write(app.protocol)) return;
    use_selected_port(app);
    send_test_command(app.protocol, app.port, command);
}

void save_config(App& app) {
    if (refuse_unstorable_text(app.window, kMainWindowLayout)) return;
    const std::optional<std::string> path = choose_save_file(app.window, kDefaultConfigFileName);
    if (!path) return;
    store_bound_fields(app.window, kMainWindowLayout, app.record);
    // A buffer of its own: a write still going out keeps sending, and later
    // verifying, the image it started with.
    ImageBytes file_image{};
    const SaveResult result = save_config_file(*path, app.record, file_image);
    if (result.encoding == EncodeOutcome::TextTruncated) {
        show_notice(app.window, kTextTruncatedCaption, kTextTruncatedMessage);
    } else if (result.encoding == EncodeOutcome::DoesNotFit) {
        show_notice(app.window, kDoesNotFitCaption, kDoesNotFitMessage);
    }
    // The system's words say why a save failed: a full disk, a folder gone.
    app.protocol.status_line = with_reason(replace_outcome_text(result.saved), result.reason);
}

void load_config(App& app) {
    if (refused_during_write(app.protocol)) return;
    const std::optional<std::string> path = choose_open_file(app.window);
    // The timer keeps stepping under the dialog: a write may have begun.
    if (!path || refused_during_write(app.protocol)) return;
    app.protocol.status_line =
        load_outcome_text(load_config_file(*path, app.record, app.protocol.received_image).outcome);
    show_bound_fields(app.window, kMainWindowLayout, app.record);
    update_main_window_enabling(app);
}

}  // namespace qv3
