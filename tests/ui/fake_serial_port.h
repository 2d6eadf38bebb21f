// Test helpers of the fake serial backend: which ports exist, whether they open, and what was sent.
#pragma once

#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <vector>

namespace qv3::test {

struct FakeSerial {
    std::set<std::string> may_exist;   // names port_may_exist accepts
    std::set<std::string> probe_ok;    // names probe accepts
    bool open_succeeds = true;         // for every name
    std::deque<uint8_t> incoming;      // bytes read_byte gives, then Nothing

    std::vector<std::string> probed;   // names probe was asked about
    std::vector<std::string> opened;   // port names of successful opens
    std::vector<uint8_t> written;      // every byte written
    int64_t clock_ms = 0;              // advanced by reads and sleeps
};

// The one fake backend; reset_fake_serial() gives back a fresh one.
FakeSerial& fake_serial();
void reset_fake_serial();

}  // namespace qv3::test
