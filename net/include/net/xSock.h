#pragma once

// The lower layer's asynchronous sockets. Sockets and host look-ups are items of
// one handle table; an item's handle is also the offset of the window message
// (1024 + handle) by which the sockets layer reports on it to a hidden notify
// window of the thread's message queue. The pump delivers those messages and the
// notify procedure calls the item's callback there, between two passes of the
// main loop. A callback must not pump.
//
// Every function but xSockStartup, xSockCleanup, xSockURLSplit and xSockGetError
// leaves its outcome in the socket error word: 0, a socket error number
// (platform::SocketError), or one of the layer's own codes below.

#include <cstdint>
#include <string>

#include "divir/xDEQList.h"
#include "platform/WinTypes.h"

// The layer's own error numbers.
inline constexpr std::uint16_t kSockErrNoItem = 30002;     // no item, or the socket could not be made
inline constexpr std::uint16_t kSockErrNoSocket = 30004;   // no such socket handle
inline constexpr std::uint16_t kSockErrNoRequest = 30011;  // no such asynchronous request

// The first notify message; the message of handle h is this plus h.
inline constexpr std::uint32_t kSockNotifyFirst = 1024;

// Families, types and protocols, with their historic numbers.
inline constexpr int kSockFamilyInet = 2;
inline constexpr int kSockStream = 1;
inline constexpr int kSockDatagram = 2;
inline constexpr int kSockProtoTcp = 6;
inline constexpr int kSockProtoUdp = 17;

// Socket options in the historic numbering, for xSockSetSockOpt.
inline constexpr int kSockLevelSocket = 0xFFFF;
inline constexpr int kSockOptKeepAlive = 0x0008;
inline constexpr int kSockOptReuseAddress = 0x0004;
inline constexpr int kSockOptSendBuffer = 0x1001;
inline constexpr int kSockOptReceiveBuffer = 0x1002;
inline constexpr int kSockLevelTcp = 6;
inline constexpr int kSockOptNoDelay = 0x0001;

// Called as (user value, event, context value, error): for a socket the event
// bits (platform::SocketEvent) and the error; for a look-up the length of the
// host record written and the error. The values are wide enough for a pointer.
using xSockCallback = void (*)(std::intptr_t user, std::uint32_t event, std::intptr_t context,
                               std::uint32_t error);

// An internet address as the socket layer lays it out: family, then port and
// address in network byte order, then padding to 16 bytes.
struct xSockAddr {
    std::uint16_t family = 0;
    std::uint16_t port = 0;
    std::uint32_t address = 0;
    std::uint8_t zero[8] = {};
};
static_assert(sizeof(xSockAddr) == 16);

// What xSockStartup reports about the socket layer.
struct xSockStartupData {
    std::uint16_t version = 0;
    std::uint16_t highVersion = 0;
    std::uint16_t maxSockets = 0;
};

// The host record a look-up writes at the start of the caller's buffer; its
// pointers point into the same buffer. Address type 2, address length 4, each
// address in network byte order; both lists end with a null pointer. The buffer
// need not be aligned: read it with xSockHostEntryAddress.
struct xHostEntry {
    char* name;
    char** aliases;
    std::int16_t addrType;
    std::int16_t addrLength;
    char** addrList;
};

// The items of the async list. Each carries a four-character tag, the callback
// and the two values handed back to it.
class xAsyncItem {
  public:
    virtual ~xAsyncItem() = default;
    char tag[4] = {};
    xSockCallback callback = nullptr;
    std::intptr_t user = 0;
    std::intptr_t context = 0;
};

// "SkIt": a socket.
class xSockItem : public xAsyncItem {
  public:
    xSockItem();
    int family = 0;
    int type = 0;
    int protocol = 0;
    int socket = -1;
};

// "AsIt": a host look-up.
class xAsyncTaskItem : public xAsyncItem {
  public:
    xAsyncTaskItem();
    std::uint32_t task = 0;
};

// The table of items; data words are item pointers.
class xAsyncList : public xDEQList {};

// Starts the layer on the first call (later calls only count): the list with
// grow step limit + 12, the notify window on the thread's message queue and the
// poll of the sockets by the queue. Limit is clamped to 64. A failure raises its
// lower-layer code (1 when no queue or wake-up can be had) after undoing the rest.
void xSockStartup(const void* instance, std::uint16_t version, xSockStartupData* data, std::int16_t limit);
// Counts down; the last call closes every open socket, forgets every look-up,
// removes the notify window and frees the list.
void xSockCleanup();

// A new socket item: its handle, or -1 (error 30002). Protocol 0 means UDP for
// a datagram socket, TCP otherwise.
std::int16_t xSockCreate(int family, int type, int protocol, int ignored);
// Reports the events in mask (platform::SocketEvent bits) to the callback. 0, or -1.
std::int16_t xSockSelect(std::int16_t handle, xSockCallback callback, std::uint32_t mask, std::intptr_t user,
                         std::intptr_t context);
// Starts connecting; a non-blocking connect reports 10035 here and completes
// with a Connect event. 0, or -1.
std::int16_t xSockConnect(std::int16_t handle, const xSockAddr* address, int length);
// The count sent, or -1.
std::int32_t xSockSend(std::int16_t handle, const void* buffer, std::int32_t length, int flags,
                       const xSockAddr* to, int toLength);
// The count read (0 at the end of the stream), or -1.
std::int32_t xSockRecv(std::int16_t handle, void* buffer, std::int32_t length, int flags, xSockAddr* from,
                       int* fromLength);
// Level and option in the historic numbering (kSockLevelSocket ...). 0, or -1.
std::int16_t xSockSetSockOpt(std::int16_t handle, int level, int option, const void* value, int length);
// Closes the socket and frees its handle; its queued notifications are dropped.
// 0, or -1 (error 0xFFFF, or 30004 for an unknown handle).
std::int16_t xSockClose(std::int16_t handle);
// Starts a look-up of an IPv4 host; the callback runs once with the length of
// the record written into buffer, or with the error (11001 to 11004; 10055 when
// the buffer is too small). The handle, or 0 (error 30002).
std::int16_t xSockGetHostByName(const char* name, char* buffer, int bufferLength, xSockCallback callback,
                                std::intptr_t user, std::intptr_t context);
// Cancels a look-up: it is never reported, never writes its buffer, and its
// handle is free at once. 0, or -1 (error 30011 for 65535 or an unknown handle).
std::int16_t xSockCancelAsyncRequest(int handle);
// The socket's local address; length becomes 16. 0, or -1 (30004).
std::int16_t xSockGetSockName(std::int16_t handle, xSockAddr* out, int* length);
std::uint16_t xSockGetError();
// The notify window's identity in the thread's message queue.
platform::WindowHandle xSockNotifyWindow();

// Splits "...//host:port/path". Without "//" the host is empty, the port is left
// as it is and the path is the URL less one leading '/'. With it: the host runs
// to a ':' that comes before the first '/' (else to the '/', else to the end),
// the port is the number after that ':' in network byte order (0 without one),
// and the path is what follows the first '/' less one more leading '/'. Each out
// may be null.
void xSockURLSplit(const char* url, std::string* host, std::string* path, std::uint16_t* port);

// The first address of a host record of `length` bytes in buffer, network byte
// order; false when the record holds none or does not fit.
bool xSockHostEntryAddress(const char* buffer, int length, std::uint32_t& address);

// Byte order of 16-bit ports.
std::uint16_t xSockHostToNet16(std::uint16_t value);
