#pragma once

// A screen whose caption entry waits for the chat line being typed: the chat
// box calls it when the next line is added.
class PendingComposition {
  public:
    virtual ~PendingComposition() = default;
    virtual void BeginComposition() = 0;
};
