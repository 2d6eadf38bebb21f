// Requests to end the program: at once outside a write, after its verification during one, at once again on a second request.
#include "ui/end_requests.h"

#include "ui/host_services.h"

namespace qv3 {

namespace {

void quit_with(App& app, int exit_code) {
    if (app.port.handle != kNoHandle) close(app.port);
    app.ending = Ending::Now;
    post_quit_request(app.window, exit_code);
}

}  // namespace

void on_end_request(App& app) {
    // Several requests can come in one turn of the event loop; the first quit decides.
    if (app.ending == Ending::Now) return;
    if (!write_in_progress(app.protocol)) {
        quit_with(app, 0);
    } else if (app.ending != Ending::AfterWriteSignalled) {
        print_to_standard_error(kFinishingWriteLine);
        app.ending = Ending::AfterWriteSignalled;
    } else {
        print_to_standard_error(kWriteAbandonedLine);
        quit_with(app, kExitWriteAbandoned);
    }
}

bool session_may_end(App& app) {
    if (app.ending == Ending::Now || !write_in_progress(app.protocol)) return true;
    if (app.ending == Ending::NotAsked) app.ending = Ending::AfterWrite;
    return false;
}

void quit_if_write_over(App& app) {
    const bool asked = app.ending == Ending::AfterWrite || app.ending == Ending::AfterWriteSignalled;
    if (asked && app.protocol.state == ProtocolState::Idle) quit_with(app, 0);
}

}  // namespace qv3
