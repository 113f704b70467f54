#include "controls/LocalOriginChatMsg.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "divir/xTokenizer.h"

namespace {

bool EqualsAsciiCaseBlind(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        char x = *a;
        char y = *b;
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return *a == *b;
}

}  // namespace

ChatCommandKind LocalOriginChatMsg::Classify() const {
    xTokenizer tokenizer;
    const auto length = static_cast<std::int16_t>(std::min<std::size_t>(text_.size(), xTokenizer::kMaxLine));
    tokenizer.TokenizeLine(text_.c_str(), length);
    const char* first = tokenizer.GetToken(0);
    if (first[0] != '/') return ChatCommandKind::Text;
    const char* word = first + 1;
    static constexpr std::array<std::pair<const char*, ChatCommandKind>, 5> kWords = {{
        {"me", ChatCommandKind::Me},
        {"msg", ChatCommandKind::Private},
        {"ignore", ChatCommandKind::Ignore},
        {"log", ChatCommandKind::Log},
        {"save", ChatCommandKind::Save},
    }};
    for (const auto& [name, kind] : kWords) {
        if (EqualsAsciiCaseBlind(word, name)) return kind;
    }
    return ChatCommandKind::Command;
}
