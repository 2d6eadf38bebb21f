// qv3, the companion command line: verbs over the same core as the application.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace qv3 {

// Runs one qv3 command line (without the program name). Returns the exit code:
// 1 when out could not be written, whatever the verb returned. history is the
// folder where read and write keep what came from the tracker (history_folder()
// for the program); empty, nothing is kept.
int run_qv3(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const std::string& history = {});

// The offline verbs (keys lists the settings keys); args exclude the verb itself.
int verb_decode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int verb_encode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int verb_show(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int verb_save(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int verb_diff(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int verb_keys(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The verbs that talk to a tracker through --port.
int verb_version(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// read and write keep the image they end with in the history folder, when one is given.
int verb_read(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const std::string& history);
int verb_write(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const std::string& history);
int verb_tone(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Lists the serial ports, and with --probe asks each for its version.
int verb_ports(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Lists the history folder's entries, or with --path prints the folder.
int verb_history(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 const std::string& history);

}  // namespace qv3
