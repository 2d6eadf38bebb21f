// Putting bytes where the user named: one save routine for every file the programs write.
//
// A regular file (or a name that does not exist yet) is replaced whole: the
// bytes go to a temporary file in the same folder, which is flushed to disk,
// given the old file's permissions and then renamed over it, so that a failure
// at any point leaves the old file as it was. A symbolic link is followed and
// the file it names replaced; the link stays. A device or a pipe is written
// straight into. A file the user may not write, a folder, or a name in a
// folder that does not exist is not touched.
#pragma once

#include <string>
#include <string_view>

namespace qv3 {

enum class ReplaceOutcome { Written, OpenFailed, WriteFailed };

// How a save ended, with the system's words for a failure ("No space left on
// device"), empty when written or when the system gave none.
struct ReplaceResult {
    ReplaceOutcome outcome = ReplaceOutcome::Written;
    std::string reason;
};

// Synced waits until the file and its folder are on disk. Unsynced is for
// copies kept only for another program to read (the simulator's image), where
// a disk stalled by other writers must not hold up the caller.
enum class Durability { Synced, Unsynced };

// path is UTF-8 (files/system_text.h).
ReplaceResult replace_file(const std::string& path, std::string_view bytes,
                           Durability durability = Durability::Synced);

// The status text of an outcome: "File Saved", "Failed to open file" or "Failed to write data".
const char* replace_outcome_text(ReplaceOutcome outcome);

}  // namespace qv3
