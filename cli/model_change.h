// qv3 write's check of the model a source is for against the tracker's.
//
// A configuration made for one model loses, on a tracker of another, every
// setting the other model's image has no place for (or forces to a value of
// its own). qv3 write names those settings and sends nothing unless told to
// go ahead, as the window cancels a write when the tracker's model changed.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command_line.h"

namespace qv3 {

// The keys the source sets that a tracker of tracker_model cannot hold, in
// 'qv3 keys' order: a key present in the source (a settings text's line; any
// key the image of a .qv3 file's model keeps) whose value tracker_model's image
// cannot store, because that model has no place for the setting or forces it
// to another value. A value that is the setting's default is never one, nor
// the model key: it is what is compared.
std::vector<std::string> keys_model_cannot_hold(const ConfigurationSource& source, int tracker_model);

// Before a write of source (named source_name on the command line) to a
// tracker of tracker_model: when the source is for another known model and
// the tracker cannot hold some of its settings, prints the refusal and returns
// kExitFailure, or, with allowed (--model-change), prints what is left out and
// returns -1. Returns -1 without a word when nothing would be lost.
int check_model_change(const ConfigurationSource& source, std::string_view source_name, int tracker_model,
                       bool allowed, std::ostream& err);

}  // namespace qv3
