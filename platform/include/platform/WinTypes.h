#pragma once

// The Windows-era vocabulary the behaviour depends on, defined once with the
// original numeric values: the game filters messages by number, stores virtual-key
// codes and reads socket event bits, so the numbers themselves are behaviour.

#include <cerrno>
#include <cstdint>

namespace platform {

// Window messages.
enum class WinMsg : std::uint32_t {
    Null = 0x0000,
    Create = 0x0001,
    Destroy = 0x0002,
    Move = 0x0003,
    Size = 0x0005,
    Activate = 0x0006,
    SetFocus = 0x0007,
    KillFocus = 0x0008,
    Paint = 0x000F,
    Close = 0x0010,
    DrawItem = 0x002B,
    Quit = 0x0012,
    EraseBkgnd = 0x0014,
    ShowWindow = 0x0018,
    ActivateApp = 0x001C,
    SetCursor = 0x0020,
    MouseActivate = 0x0021,
    GetMinMaxInfo = 0x0024,
    WindowPosChanging = 0x0046,
    WindowPosChanged = 0x0047,
    NcActivate = 0x0086,
    KeyDown = 0x0100,
    KeyUp = 0x0101,
    Char = 0x0102,
    SysKeyDown = 0x0104,
    SysKeyUp = 0x0105,
    SysChar = 0x0106,
    SysCommand = 0x0112,
    InitDialog = 0x0110,
    Command = 0x0111,
    Timer = 0x0113,
    MouseMove = 0x0200,
    LButtonDown = 0x0201,
    LButtonUp = 0x0202,
    LButtonDblClk = 0x0203,
    RButtonDown = 0x0204,
    RButtonUp = 0x0205,
    RButtonDblClk = 0x0206,
    MButtonDown = 0x0207,
    MButtonUp = 0x0208,
    MButtonDblClk = 0x0209,
    EnterSizeMove = 0x0231,
    ExitSizeMove = 0x0232,
    QueryNewPalette = 0x030F,
    PaletteIsChanging = 0x0310,
    PaletteChanged = 0x0311,
    User = 0x0400,
};

// Message ranges used when peeking by range.
inline constexpr std::uint32_t kKeyFirst = 0x0100;
inline constexpr std::uint32_t kKeyLast = 0x0108;
inline constexpr std::uint32_t kMouseFirst = 0x0200;
inline constexpr std::uint32_t kMouseLast = 0x0209;

// The notification codes a control sends in the high word of WM_COMMAND's wParam
// (the low word is the control's id).
enum class ControlNotify : std::uint32_t {
    Clicked = 0,          // a button, check box or radio button
    ComboSelChange = 1,   // a combo or drop-down list chose another entry
    ComboEditChange = 5,  // the text of an editable combo changed
    EditChange = 0x0300,  // the text of an edit changed
};

// The command ids of a dialog's OK and Cancel.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// WM_COMMAND's wParam: the control id in the low word, the notification in the high.
constexpr std::uintptr_t MakeCommandParam(int controlId, ControlNotify notify) {
    return (static_cast<std::uintptr_t>(notify) << 16) | (static_cast<std::uintptr_t>(controlId) & 0xFFFFu);
}

// WM_SYSCOMMAND parameters.
enum class SysCommand : std::uint32_t {
    Close = 0xF060,
    Minimize = 0xF020,
    Restore = 0xF120,
};

// WM_ACTIVATE low word.
enum class ActivateState : std::uint32_t {
    Inactive = 0,
    Active = 1,
    ClickActive = 2,
};

// WM_SIZE parameters.
enum class SizeKind : std::uint32_t {
    Restored = 0,
    Minimized = 1,
    Maximized = 2,
};

// Virtual-key codes.
enum class VirtualKey : std::uint32_t {
    Back = 0x08,
    Tab = 0x09,
    Clear = 0x0C,
    Return = 0x0D,
    Shift = 0x10,
    Control = 0x11,
    Menu = 0x12,
    Escape = 0x1B,
    Space = 0x20,
    Prior = 0x21,
    Next = 0x22,
    End = 0x23,
    Home = 0x24,
    Left = 0x25,
    Up = 0x26,
    Right = 0x27,
    Down = 0x28,
    Insert = 0x2D,
    Delete = 0x2E,
    Digit0 = 0x30,   // '0'-'9' follow in order
    LetterA = 0x41,  // 'A'-'Z' follow in order
    Numpad0 = 0x60,  // the keypad digits with Num Lock on follow in order
    Decimal = 0x6E,
    F1 = 0x70,  // F1-F12 follow in order
};

// Mouse-message key-state bits (wParam of mouse messages).
enum class MouseKeys : std::uint32_t {
    LButton = 0x0001,
    RButton = 0x0002,
    Shift = 0x0004,
    Control = 0x0008,
    MButton = 0x0010,
};

// Asynchronous socket event bits.
enum class SocketEvent : std::uint32_t {
    Read = 0x01,
    Write = 0x02,
    Oob = 0x04,
    Accept = 0x08,
    Connect = 0x10,
    Close = 0x20,
};

// Socket and host look-up error numbers, as the socket layer reports and its
// users compare them.
enum class SocketError : std::uint16_t {
    None = 0,
    Interrupted = 10004,
    BadDescriptor = 10009,
    Access = 10013,
    Fault = 10014,
    Invalid = 10022,
    TooManyOpen = 10024,
    WouldBlock = 10035,
    InProgress = 10036,
    Already = 10037,
    NotSocket = 10038,
    DestinationRequired = 10039,
    MessageSize = 10040,
    ProtocolType = 10041,
    NoProtocolOption = 10042,
    ProtocolNotSupported = 10043,
    SocketTypeNotSupported = 10044,
    OperationNotSupported = 10045,
    FamilyNotSupported = 10047,
    AddressInUse = 10048,
    AddressNotAvailable = 10049,
    NetworkDown = 10050,
    NetworkUnreachable = 10051,
    NetworkReset = 10052,
    ConnectionAborted = 10053,
    ConnectionReset = 10054,
    NoBuffers = 10055,
    IsConnected = 10056,
    NotConnected = 10057,
    Shutdown = 10058,
    TimedOut = 10060,
    ConnectionRefused = 10061,
    HostDown = 10064,
    HostUnreachable = 10065,
    HostNotFound = 11001,
    TryAgain = 11002,
    NoRecovery = 11003,
    NoData = 11004,
};

// The one translation of the system's errno values. A non-blocking operation
// that cannot finish now, a connect under way included, is WouldBlock; writing
// to a connection the peer has dropped is a reset. Unknown values read as Invalid.
constexpr SocketError SocketErrorFromErrno(int e) {
    switch (e) {
        case 0:
            return SocketError::None;
        case EINTR:
            return SocketError::Interrupted;
        case EBADF:
            return SocketError::BadDescriptor;
        case EACCES:
        case EPERM:
            return SocketError::Access;
        case EFAULT:
            return SocketError::Fault;
        case EMFILE:
        case ENFILE:
            return SocketError::TooManyOpen;
        case EAGAIN:
#if EWOULDBLOCK != EAGAIN
        case EWOULDBLOCK:
#endif
        case EINPROGRESS:
            return SocketError::WouldBlock;
        case EALREADY:
            return SocketError::Already;
        case ENOTSOCK:
            return SocketError::NotSocket;
        case EDESTADDRREQ:
            return SocketError::DestinationRequired;
        case EMSGSIZE:
            return SocketError::MessageSize;
        case EPROTOTYPE:
            return SocketError::ProtocolType;
        case ENOPROTOOPT:
            return SocketError::NoProtocolOption;
        case EPROTONOSUPPORT:
            return SocketError::ProtocolNotSupported;
        case EOPNOTSUPP:
            return SocketError::OperationNotSupported;
        case EAFNOSUPPORT:
            return SocketError::FamilyNotSupported;
        case EADDRINUSE:
            return SocketError::AddressInUse;
        case EADDRNOTAVAIL:
            return SocketError::AddressNotAvailable;
        case ENETDOWN:
            return SocketError::NetworkDown;
        case ENETUNREACH:
            return SocketError::NetworkUnreachable;
        case ENETRESET:
            return SocketError::NetworkReset;
        case ECONNABORTED:
            return SocketError::ConnectionAborted;
        case ECONNRESET:
        case EPIPE:
            return SocketError::ConnectionReset;
        case ENOBUFS:
        case ENOMEM:
            return SocketError::NoBuffers;
        case EISCONN:
            return SocketError::IsConnected;
        case ENOTCONN:
            return SocketError::NotConnected;
        case ESHUTDOWN:
            return SocketError::Shutdown;
        case ETIMEDOUT:
            return SocketError::TimedOut;
        case ECONNREFUSED:
            return SocketError::ConnectionRefused;
        case EHOSTDOWN:
            return SocketError::HostDown;
        case EHOSTUNREACH:
            return SocketError::HostUnreachable;
        default:
            return SocketError::Invalid;
    }
}

// Message-box styles and answers.
enum class BoxStyle : std::uint32_t {
    Ok = 0x00000000,
    OkCancel = 0x00000001,
    IconStop = 0x00000010,
    IconQuestion = 0x00000020,
    IconExclamation = 0x00000030,
    IconInformation = 0x00000040,
    TaskModal = 0x00002000,
    TopMost = 0x00040000,
};

enum class BoxAnswer : int {
    Ok = 1,
    Cancel = 2,
};

constexpr std::uint32_t operator|(BoxStyle a, BoxStyle b) {
    return static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b);
}

template <typename E>
constexpr std::uint32_t Num(E e) {
    return static_cast<std::uint32_t>(e);
}

// System cursors by their resource numbers; None is the null cursor handle
// (no cursor shown over the window).
enum class SystemCursor : std::uint32_t {
    None = 0,
    Arrow = 32512,
    Wait = 32514,
};

// Registry roots (predefined key handles) and value types.
enum class RegistryRoot : std::uint32_t {
    ClassesRoot = 0x80000000,
    CurrentUser = 0x80000001,
    LocalMachine = 0x80000002,
    Users = 0x80000003,
};

enum class RegistryType : std::uint32_t {
    None = 0,
    String = 1,
    Binary = 3,
    Dword = 4,
};

// An opaque window identity; null means no window.
using WindowHandle = void*;

// One queued window message as the pump sees it.
struct WinMessage {
    WindowHandle window = nullptr;
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    std::uint32_t time = 0;
    std::int32_t x = 0;  // pointer position when the message was made
    std::int32_t y = 0;
};

// lParam packing of mouse coordinates and sizes, as the platform does it.
constexpr std::intptr_t MakeLParam(std::int32_t low, std::int32_t high) {
    return static_cast<std::intptr_t>(static_cast<std::int32_t>((static_cast<std::uint32_t>(high) << 16) |
                                                                (static_cast<std::uint32_t>(low) & 0xFFFFu)));
}
constexpr std::int16_t LowWord(std::intptr_t v) {
    return static_cast<std::int16_t>(v & 0xFFFF);
}
constexpr std::int16_t HighWord(std::intptr_t v) {
    return static_cast<std::int16_t>((v >> 16) & 0xFFFF);
}

}  // namespace platform
