#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class xIRCQueue;

// Splits the text of a received private message into the room messages packed
// in it. The room bot separates messages by the byte pair 3, 4; a doubled 3 or 4
// stands for one such byte inside a message, and a 3 or 4 standing alone is an
// ordinary byte (a colour code from some other user, say). Every other line
// comes back once, unchanged.
//
// Between two calls the batcher is either empty or fully set up for splitting:
// nothing it is fed or holds makes it throw.
class GameMsgBatcher {
  public:
    static constexpr std::size_t kLineMax = 512;

    // owner: the queue that made it, used only by the send side; may be null.
    explicit GameMsgBatcher(xIRCQueue* owner);
    virtual ~GameMsgBatcher();

    GameMsgBatcher(const GameMsgBatcher&) = delete;
    GameMsgBatcher& operator=(const GameMsgBatcher&) = delete;

    // Takes the rest of a received line from its command on. Feeding while an
    // earlier line is still being split, or a text longer than a line, raises
    // lower-layer error 7 and changes nothing.
    void Feed(const char* text);
    // 1 with the next message (the line's header followed by the message text)
    // in the buffer, cut to size - 1 bytes; 0 when the batcher holds nothing.
    std::int16_t NextMessage(char* buffer, std::size_t size);
    // Sends a pending outgoing text to the owner as a private message to the
    // target. Nothing in the client fills them, so in practice this never sends.
    void Flush();

    bool IsEmpty() const { return receivedLength_ == 0; }

  private:
    void Clear();

    std::string target_;
    std::array<char, kLineMax + 1> received_{};
    std::size_t receivedLength_ = 0;
    std::string outgoing_;
    xIRCQueue* owner_;
    // Length of the header at the front of received_ (through the colon that
    // opens a private message's text, or the whole of any other line) and the
    // position of the next message; meaningful only while received_ is not empty.
    std::size_t headerLength_ = 0;
    std::size_t cursor_ = 0;
};
