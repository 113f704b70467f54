#include "net/xSock.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <vector>

#include "divir/xError.h"
#include "divir/xTryFrame.h"
#include "platform/AsyncSockets.h"
#include "platform/MessageQueue.h"

using platform::SocketError;

namespace {

constexpr std::int16_t kMaxSockets = 64;
constexpr std::uint32_t kNotifyLast = 32767;

// The notify window's identity in the message queue (the platform calls it
// "QVX XSocket" of class "WSockNotifyClass"; the queue needs only an address).
char gNotifyWindow;

struct SockModule {
    std::int16_t startups = 0;
    std::int16_t limit = 0;
    std::unique_ptr<xAsyncList> list;
    const void* instance = nullptr;
    platform::MessageQueue* queue = nullptr;
    std::unique_ptr<platform::AsyncSockets> sockets;
    std::uint16_t error = 0;
};

SockModule gSock;

platform::WindowHandle NotifyWindow() {
    return &gNotifyWindow;
}

std::uint16_t SetError(std::uint16_t error) {
    gSock.error = error;
    return error;
}

std::uint16_t SetError(SocketError error) {
    return SetError(static_cast<std::uint16_t>(error));
}

xAsyncItem* ItemOf(std::int16_t handle) {
    if (!gSock.list) return nullptr;
    const xDEQItem* entry = gSock.list->xlat(handle);
    if (entry == nullptr || !entry->inUse) return nullptr;
    return reinterpret_cast<xAsyncItem*>(entry->data);
}

xSockItem* SocketOf(std::int16_t handle) {
    return dynamic_cast<xSockItem*>(ItemOf(handle));
}

xAsyncTaskItem* TaskOf(std::int16_t handle) {
    return dynamic_cast<xAsyncTaskItem*>(ItemOf(handle));
}

// Takes the item out of the table (its handle is free) and hands it over.
std::unique_ptr<xAsyncItem> Unlist(std::int16_t handle) {
    std::unique_ptr<xAsyncItem> item(ItemOf(handle));
    if (item) gSock.list->ReleaseRef(handle, 1);
    return item;
}

std::int16_t Reserve(xAsyncItem* item) {
    std::int16_t handle = 0;
    const std::int16_t code =
        xTry([&] { handle = gSock.list->ReserveRef(reinterpret_cast<std::uintptr_t>(item), 0, 1); });
    return code == 0 ? handle : 0;
}

std::intptr_t NotifyProc(platform::WindowHandle, std::uint32_t message, std::uintptr_t wParam,
                         std::intptr_t lParam) {
    if (message < kSockNotifyFirst || message > kNotifyLast) return 0;
    const auto handle = static_cast<std::int16_t>(message - kSockNotifyFirst);
    xAsyncItem* target = ItemOf(handle);
    if (target == nullptr) return 0;
    const auto low = static_cast<std::uint16_t>(lParam & 0xFFFF);
    const auto high = static_cast<std::uint16_t>((lParam >> 16) & 0xFFFF);
    if (auto* socket = dynamic_cast<xSockItem*>(target)) {
        if (socket->socket < 0 || static_cast<std::uintptr_t>(socket->socket) != wParam) return 0;
        // Copied: the callback may close the socket and free the item.
        const xSockCallback callback = socket->callback;
        const std::intptr_t user = socket->user;
        const std::intptr_t context = socket->context;
        if (callback != nullptr) callback(user, low, context, high);
        return 0;
    }
    if (auto* task = dynamic_cast<xAsyncTaskItem*>(target)) {
        if (task->task != wParam) return 0;
        // A look-up notifies once: its handle is free before the callback runs.
        const std::unique_ptr<xAsyncItem> gone = Unlist(handle);
        if (gone->callback != nullptr) gone->callback(gone->user, low, gone->context, high);
    }
    return 0;
}

template <typename T>
void Put(char* buffer, std::size_t offset, const T& value) {
    std::memcpy(buffer + offset, &value, sizeof value);
}

template <typename T>
T Get(const char* buffer, std::size_t offset) {
    T value;
    std::memcpy(&value, buffer + offset, sizeof value);
    return value;
}

std::size_t AlignUp(const char* base, std::size_t offset, std::size_t alignment) {
    const auto address = reinterpret_cast<std::uintptr_t>(base) + offset;
    return offset + (alignment - address % alignment) % alignment;
}

// Writes the host record; its length, 0 when it does not fit.
std::size_t WriteHostEntry(char* buffer, std::size_t size, const platform::HostLookupResult& result) {
    const std::size_t n = result.addresses.size();
    const std::size_t lists = AlignUp(buffer, sizeof(xHostEntry), alignof(char*));
    const std::size_t aliases = lists + (n + 1) * sizeof(char*);
    const std::size_t addresses = aliases + sizeof(char*);
    const std::size_t name = addresses + n * 4;
    const std::size_t end = name + result.name.size() + 1;
    if (buffer == nullptr || end > size) return 0;
    xHostEntry entry{buffer + name, reinterpret_cast<char**>(buffer + aliases), kSockFamilyInet, 4,
                     reinterpret_cast<char**>(buffer + lists)};
    Put(buffer, 0, entry);
    for (std::size_t i = 0; i < n; ++i) {
        Put(buffer, addresses + i * 4, result.addresses[i]);
        Put(buffer, lists + i * sizeof(char*), static_cast<char*>(buffer + addresses + i * 4));
    }
    Put(buffer, lists + n * sizeof(char*), static_cast<char*>(nullptr));
    Put(buffer, aliases, static_cast<char*>(nullptr));
    std::memcpy(buffer + name, result.name.c_str(), result.name.size() + 1);
    return end;
}

void CloseAll() {
    if (!gSock.list) return;
    while (const std::int16_t handle = gSock.list->GetInUseHead()) {
        std::unique_ptr<xAsyncItem> item = Unlist(handle);
        if (!item) break;
        if (auto* socket = dynamic_cast<xSockItem*>(item.get()); socket && socket->socket >= 0)
            gSock.sockets->Close(socket->socket);
        if (auto* task = dynamic_cast<xAsyncTaskItem*>(item.get())) gSock.sockets->CancelLookup(task->task);
    }
}

void TearDown() {
    if (gSock.queue != nullptr) {
        gSock.queue->UnregisterWindow(NotifyWindow());
        gSock.queue->RemovePosted(NotifyWindow(), 0, UINT32_MAX);
    }
    if (gSock.sockets) gSock.sockets->Detach();
    gSock.sockets.reset();
    gSock.list.reset();
    gSock.queue = nullptr;
    gSock.limit = 0;
}

}  // namespace

xSockItem::xSockItem() {
    std::memcpy(tag, "SkIt", 4);
}

xAsyncTaskItem::xAsyncTaskItem() {
    std::memcpy(tag, "AsIt", 4);
}

std::uint16_t xSockHostToNet16(std::uint16_t value) {
    if constexpr (std::endian::native == std::endian::little)
        return static_cast<std::uint16_t>((value << 8) | (value >> 8));
    return value;
}

void xSockStartup(const void* instance, std::uint16_t version, xSockStartupData* data, std::int16_t limit) {
    if (gSock.startups == 0) {
        const std::int16_t code = xTry([&] {
            gSock = SockModule{};
            gSock.instance = instance;
            gSock.queue = platform::MessageQueue::Current();
            if (gSock.queue == nullptr) xThrow(kErrMemory);
            gSock.sockets = std::make_unique<platform::AsyncSockets>(*gSock.queue);
            if (!gSock.sockets->Valid()) xThrow(kErrMemory);
            gSock.limit = limit >= kMaxSockets ? kMaxSockets : limit;
            gSock.list = std::make_unique<xAsyncList>();
            const int grow = std::clamp(limit + 12, 1, static_cast<int>(xDEQList::kMaxCapacity));
            gSock.list->IDEQList(static_cast<std::int16_t>(grow));
            gSock.queue->RegisterWindow(NotifyWindow(), platform::WindowClass{&NotifyProc, false});
            gSock.sockets->Attach();
        });
        if (code != 0) {
            TearDown();
            xThrow(code);
            return;
        }
    }
    if (data != nullptr) *data = xSockStartupData{version, version, static_cast<std::uint16_t>(gSock.limit)};
    ++gSock.startups;
}

void xSockCleanup() {
    if (gSock.startups == 0) return;
    if (--gSock.startups != 0) return;
    CloseAll();
    TearDown();
}

std::int16_t xSockCreate(int family, int type, int protocol, int /*ignored*/) {
    if (!gSock.list) {
        SetError(kSockErrNoItem);
        return -1;
    }
    auto item = std::unique_ptr<xSockItem>(new (std::nothrow) xSockItem);
    if (!item) {
        SetError(kSockErrNoItem);
        return -1;
    }
    item->family = family;
    item->type = type;
    item->protocol = protocol != 0 ? protocol : (type == kSockDatagram ? kSockProtoUdp : kSockProtoTcp);
    const std::int16_t handle = Reserve(item.get());
    if (handle == 0) {
        SetError(kSockErrNoItem);
        return -1;
    }
    SocketError error = SocketError::None;
    item->socket = gSock.sockets->Create(family, type, item->protocol, error);
    if (item->socket < 0) {
        gSock.list->ReleaseRef(handle, 1);
        SetError(kSockErrNoItem);
        return -1;
    }
    item.release();
    SetError(0);
    return handle;
}

std::int16_t xSockSelect(std::int16_t handle, xSockCallback callback, std::uint32_t mask, std::intptr_t user,
                         std::intptr_t context) {
    xSockItem* item = SocketOf(handle);
    if (item == nullptr) {
        SetError(kSockErrNoSocket);
        return -1;
    }
    item->callback = callback;
    item->user = user;
    item->context = context;
    const SocketError error = gSock.sockets->Select(
        item->socket, NotifyWindow(), kSockNotifyFirst + static_cast<std::uint16_t>(handle), mask);
    SetError(error);
    return error == SocketError::None ? 0 : -1;
}

std::int16_t xSockConnect(std::int16_t handle, const xSockAddr* address, int length) {
    xSockItem* item = SocketOf(handle);
    if (item == nullptr) {
        SetError(kSockErrNoSocket);
        return -1;
    }
    if (address == nullptr || length < 8) {
        SetError(SocketError::Fault);
        return -1;
    }
    const SocketError error = gSock.sockets->Connect(
        item->socket, platform::SocketAddress{address->family, address->port, address->address});
    SetError(error);
    return error == SocketError::None ? 0 : -1;
}

std::int32_t xSockSend(std::int16_t handle, const void* buffer, std::int32_t length, int flags,
                       const xSockAddr* to, int toLength) {
    xSockItem* item = SocketOf(handle);
    if (item == nullptr) {
        SetError(kSockErrNoSocket);
        return -1;
    }
    if (length < 0 || (buffer == nullptr && length > 0)) {
        SetError(SocketError::Fault);
        return -1;
    }
    platform::SocketAddress target;
    const bool datagram = item->protocol != kSockProtoTcp;
    if (datagram && to != nullptr && toLength >= 8) target = {to->family, to->port, to->address};
    SocketError error = SocketError::None;
    const long sent = gSock.sockets->Send(
        item->socket, std::span(static_cast<const std::uint8_t*>(buffer), static_cast<std::size_t>(length)),
        flags, datagram && to != nullptr && toLength >= 8 ? &target : nullptr, error);
    SetError(error);
    return static_cast<std::int32_t>(sent);
}

std::int32_t xSockRecv(std::int16_t handle, void* buffer, std::int32_t length, int flags, xSockAddr* from,
                       int* fromLength) {
    xSockItem* item = SocketOf(handle);
    if (item == nullptr) {
        SetError(kSockErrNoSocket);
        return -1;
    }
    if (length < 0 || (buffer == nullptr && length > 0)) {
        SetError(SocketError::Fault);
        return -1;
    }
    const bool datagram = item->protocol != kSockProtoTcp;
    platform::SocketAddress source;
    SocketError error = SocketError::None;
    const long got = gSock.sockets->Receive(
        item->socket, std::span(static_cast<std::uint8_t*>(buffer), static_cast<std::size_t>(length)), flags,
        datagram && from != nullptr ? &source : nullptr, error);
    SetError(error);
    if (got >= 0 && datagram && from != nullptr) {
        *from = xSockAddr{};
        from->family = source.family;
        from->port = source.port;
        from->address = source.address;
        if (fromLength != nullptr) *fromLength = sizeof(xSockAddr);
    }
    return static_cast<std::int32_t>(got);
}

std::int16_t xSockSetSockOpt(std::int16_t handle, int level, int option, const void* value, int length) {
    xSockItem* item = SocketOf(handle);
    if (item == nullptr) {
        SetError(kSockErrNoSocket);
        return -1;
    }
    if (length < 0 || (value == nullptr && length > 0)) {
        SetError(SocketError::Fault);
        return -1;
    }
    const SocketError error = gSock.sockets->SetOption(
        item->socket, level, option,
        std::span(static_cast<const std::uint8_t*>(value), static_cast<std::size_t>(length)));
    SetError(error);
    return error == SocketError::None ? 0 : -1;
}

std::int16_t xSockClose(std::int16_t handle) {
    xSockItem* item = SocketOf(handle);
    if (item == nullptr) {
        SetError(kSockErrNoSocket);
        return -1;
    }
    if (gSock.sockets->Close(item->socket) != SocketError::None) {
        SetError(0xFFFF);
        return -1;
    }
    item->socket = -1;
    Unlist(handle);
    SetError(0);
    return 0;
}

std::int16_t xSockGetHostByName(const char* name, char* buffer, int bufferLength, xSockCallback callback,
                                std::intptr_t user, std::intptr_t context) {
    if (!gSock.list || name == nullptr) {
        SetError(kSockErrNoItem);
        return 0;
    }
    auto item = std::unique_ptr<xAsyncTaskItem>(new (std::nothrow) xAsyncTaskItem);
    if (!item) {
        SetError(kSockErrNoItem);
        return 0;
    }
    item->callback = callback;
    item->user = user;
    item->context = context;
    const std::int16_t handle = Reserve(item.get());
    if (handle == 0) {
        SetError(kSockErrNoItem);
        return 0;
    }
    xAsyncTaskItem* task = item.get();
    const std::size_t size = bufferLength > 0 ? static_cast<std::size_t>(bufferLength) : 0;
    // Runs on the pump's thread, only while the item lives: a cancel frees the
    // item and forgets the look-up together.
    task->task =
        gSock.sockets->StartLookup(name, [task, handle, buffer, size](const platform::HostLookupResult& r) {
            std::size_t length = 0;
            SocketError error = r.error;
            if (error == SocketError::None) {
                length = WriteHostEntry(buffer, size, r);
                if (length == 0) error = SocketError::NoBuffers;
            }
            if (gSock.queue == nullptr) return;
            gSock.queue->Post(
                NotifyWindow(), kSockNotifyFirst + static_cast<std::uint16_t>(handle), task->task,
                platform::MakeLParam(static_cast<std::int32_t>(length), static_cast<std::int32_t>(error)));
        });
    if (task->task == 0) {
        gSock.list->ReleaseRef(handle, 1);
        SetError(kSockErrNoItem);
        return 0;
    }
    item.release();
    SetError(0);
    return handle;
}

std::int16_t xSockCancelAsyncRequest(int handle) {
    if (handle <= 0 || handle >= 65535 || handle > INT16_MAX) {
        SetError(kSockErrNoRequest);
        return -1;
    }
    xAsyncTaskItem* task = TaskOf(static_cast<std::int16_t>(handle));
    if (task == nullptr) {
        SetError(kSockErrNoRequest);
        return -1;
    }
    gSock.sockets->CancelLookup(task->task);
    // A result posted before the cancel must not reach a later owner of the handle.
    if (gSock.queue != nullptr)
        gSock.queue->RemovePosted(NotifyWindow(), kSockNotifyFirst + static_cast<std::uint32_t>(handle),
                                  kSockNotifyFirst + static_cast<std::uint32_t>(handle));
    Unlist(static_cast<std::int16_t>(handle));
    SetError(0);
    return 0;
}

std::int16_t xSockGetSockName(std::int16_t handle, xSockAddr* out, int* length) {
    xSockItem* item = SocketOf(handle);
    platform::SocketAddress local;
    if (item == nullptr || gSock.sockets->LocalName(item->socket, local) != SocketError::None) {
        SetError(kSockErrNoSocket);
        return -1;
    }
    if (out != nullptr) {
        *out = xSockAddr{};
        out->family = local.family;
        out->port = local.port;
        out->address = local.address;
    }
    if (length != nullptr) *length = sizeof(xSockAddr);
    SetError(0);
    return 0;
}

platform::WindowHandle xSockNotifyWindow() {
    return NotifyWindow();
}

std::uint16_t xSockGetError() {
    return gSock.error;
}

void xSockURLSplit(const char* url, std::string* host, std::string* path, std::uint16_t* port) {
    const std::string_view text = url != nullptr ? url : "";
    const std::size_t slashes = text.find("//");
    if (slashes == std::string_view::npos) {
        if (host != nullptr) host->clear();
        if (path != nullptr) *path = std::string(text.substr(!text.empty() && text.front() == '/' ? 1 : 0));
        return;
    }
    const std::string_view s = text.substr(slashes + 2);
    const std::size_t slash = s.find('/');
    const std::size_t colon = s.substr(0, slash).find(':');
    if (host != nullptr) *host = std::string(s.substr(0, colon != std::string_view::npos ? colon : slash));
    if (port != nullptr) {
        std::uint32_t number = 0;
        if (colon != std::string_view::npos) {
            for (std::size_t i = colon + 1; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
                number = (number * 10 + static_cast<std::uint32_t>(s[i] - '0')) & 0xFFFF;
        }
        *port = xSockHostToNet16(static_cast<std::uint16_t>(number));
    }
    if (path != nullptr) {
        if (slash == std::string_view::npos) {
            path->clear();
        } else {
            std::string_view rest = s.substr(slash + 1);
            if (!rest.empty() && rest.front() == '/') rest.remove_prefix(1);
            *path = std::string(rest);
        }
    }
}

bool xSockHostEntryAddress(const char* buffer, int length, std::uint32_t& address) {
    if (buffer == nullptr || length < static_cast<int>(sizeof(xHostEntry))) return false;
    const auto entry = Get<xHostEntry>(buffer, 0);
    const auto inside = [&](const void* p, std::size_t bytes) {
        const auto a = reinterpret_cast<std::uintptr_t>(p);
        const auto b = reinterpret_cast<std::uintptr_t>(buffer);
        return a >= b && a - b + bytes <= static_cast<std::size_t>(length);
    };
    if (entry.addrLength != 4 || !inside(entry.addrList, sizeof(char*))) return false;
    const char* first = Get<char*>(reinterpret_cast<const char*>(entry.addrList), 0);
    if (first == nullptr || !inside(first, 4)) return false;
    address = Get<std::uint32_t>(first, 0);
    return true;
}
