#pragma once

#include <cstdint>
#include <string>
#include <typeinfo>
#include <vector>

#include "framework/Msg.h"
#include "framework/MsgReceiver.h"

// A direct receiver that writes down the class and sender of every message.
class MsgLog : public MsgReceiver {
  public:
    struct Entry {
        std::string name;
        MsgSender* from = nullptr;
    };

    std::int32_t Receive(const Msg& msg, MsgSender* from) override {
        entries.push_back(Entry{NameOf(msg), from});
        return 0;
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const Entry& entry : entries) {
            names.push_back(entry.name);
        }
        return names;
    }

    void Clear() { entries.clear(); }

    // The class name without the compiler's length prefix ("10StartedMsg").
    static std::string NameOf(const Msg& msg) {
        std::string name = typeid(msg).name();
        std::size_t i = 0;
        while (i < name.size() && name[i] >= '0' && name[i] <= '9') {
            ++i;
        }
        return name.substr(i);
    }

    std::vector<Entry> entries;
};
