#pragma once

#include <string>
#include <vector>

#include "framework/MsgLog.h"

// Every message heard, with the main-loop pass it came in.
class PassLog : public MsgReceiver {
  public:
    struct Entry {
        int pass;
        MsgSender* from;
        std::string name;
    };
    explicit PassLog(const int& pass) : pass_(pass) {}
    std::int32_t Receive(const Msg& msg, MsgSender* from) override {
        entries.push_back(Entry{pass_, from, MsgLog::NameOf(msg)});
        return 0;
    }
    // The pass of the first `name` from `from`; -1 if none came.
    int PassOf(MsgSender* from, const std::string& name) const {
        for (const Entry& entry : entries) {
            if (entry.from == from && entry.name == name) return entry.pass;
        }
        return -1;
    }
    int Count(MsgSender* from, const std::string& name) const {
        int count = 0;
        for (const Entry& entry : entries) count += entry.from == from && entry.name == name ? 1 : 0;
        return count;
    }
    std::vector<Entry> entries;

  private:
    const int& pass_;
};
