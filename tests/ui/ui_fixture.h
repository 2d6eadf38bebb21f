// The fixture of the ui tests: fresh fakes, and a main window over a default record.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fake_form.h"
#include "fake_host.h"
#include "fake_serial_port.h"
#include "ui/form_access.h"
#include "ui/main_window.h"

namespace qv3::test {

class UiTest : public ::testing::Test {
protected:
    UiTest() {
        reset_fake_forms();
        reset_fake_host();
        reset_fake_serial();
        app.window = new_fake_window();
    }

    std::string text(int id) const { return get_text(app.window, id, 100000); }
    void type(int id, const std::string& value) const { set_text(app.window, id, value); }

    App app;
};

}  // namespace qv3::test
