// Model-code rules shared by decoding, encoding, verification and files.
#include "model/config_record.h"

namespace qv3 {

int image_size_for_model(int device_model) { return device_model >= 3 ? 256 : 128; }

int header_size_for_model(int device_model) {
    if (device_model == 1) return 40;
    if (device_model == 2) return 42;
    return 52;
}

bool is_rux_model(int device_model) { return device_model == 2 || device_model == 5; }

bool has_telemetry(int device_model) { return device_model == 3 || device_model == 6; }

}  // namespace qv3
