// The status texts of a save, shared by every platform's replace_file.
#include "files/replace_file.h"

namespace qv3 {

const char* replace_outcome_text(ReplaceOutcome outcome) {
    switch (outcome) {
        case ReplaceOutcome::Written: return "File Saved";
        case ReplaceOutcome::OpenFailed: return "Failed to open file";
        case ReplaceOutcome::WriteFailed: return "Failed to write data";
    }
    return "Failed to write data";
}

}  // namespace qv3
