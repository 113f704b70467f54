#pragma once

// The program's command line as one text, the form the program reads it in: the
// arguments separated by single blanks, an argument holding a blank wrapped in
// double quotes (so a tokenizer that honours quotes splits it back), cut to 512
// characters.

#include <span>
#include <string>

namespace platform {

constexpr std::size_t kMaxCommandLine = 512;

std::string JoinCommandLine(std::span<const char* const> arguments);

// Set once by main from its arguments; empty until then.
void SetCommandLine(std::string text);
const std::string& GetCommandLine();

}  // namespace platform
