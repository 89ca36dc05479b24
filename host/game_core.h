// The binary contract between the launcher and the game core, zindleCore.dll.
//
// The shipping game core is a closed 32-bit DLL built with Microsoft's
// compiler. The launcher imports one function from it, CreateZindle, hands it
// the program-wide GameHost record and drives the GameCore object it returns
// through that object's table of virtual operations. Both layouts belong to
// the DLL, so this header is written to match it, not the other way round:
//
// - The declarations of GameCore are in table order: slot N is the N-th
//   virtual function declared. Never reorder, insert or remove one.
// - GameCore has no virtual destructor: GCC's ABI gives a virtual destructor
//   two table entries, which would shift every later slot. Slot 0 destroys.
// - On the 32-bit build every argument is 32 bits wide, and member calls use
//   thiscall (object in ECX, arguments on the stack, popped by the callee),
//   which is what the DLL's compiler uses for member functions.
// - CreateZindle is a plain C export with the C calling convention.
//
// Off Windows only the binding is built (its call order is unit-tested there),
// and a window handle is an opaque pointer.
#ifndef ZINDLE_HOST_GAME_CORE_H
#define ZINDLE_HOST_GAME_CORE_H

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#endif

// Calling conventions of the closed DLL. MinGW's i686 g++ already uses
// thiscall for member functions; spelling it out keeps the contract visible.
#if defined(_WIN32) && defined(__i386__)
#define ZINDLE_THISCALL __thiscall
#else
#define ZINDLE_THISCALL
#endif
#ifdef _WIN32
#define ZINDLE_CDECL __cdecl
#else
#define ZINDLE_CDECL
#endif

// A stand-in game core defines ZINDLE_BUILDING_CORE and exports the factory.
// The launcher declares it without dllimport: the import library's thunk binds
// it at load time just the same, and a test program may define it itself.
#if defined(_WIN32) && defined(ZINDLE_BUILDING_CORE)
#define ZINDLE_CORE_API __declspec(dllexport)
#else
#define ZINDLE_CORE_API
#endif

#ifdef _WIN32
// The game window as the game core receives it.
using GameWindowHandle = HWND;
// The two parameters of a window message, as forwarded to the game core.
using MessageWParam = WPARAM;
using MessageLParam = LPARAM;
#else
struct OpaqueGameWindow;
// The game window as the game core receives it (opaque off Windows).
using GameWindowHandle = OpaqueGameWindow*;
// The two parameters of a window message, as forwarded to the game core.
using MessageWParam = std::uintptr_t;
using MessageLParam = std::intptr_t;
#endif

// Slot numbers of GameCore's table, for logs and checks: the functions below
// are declared in exactly this order.
enum class GameCoreSlot : int {
    Destroy = 0,
    Initialize = 1,
    Shutdown = 2,
    ApplySettings = 3,
    AttachComponent = 4,
    HandleMessage = 5,
    Unused6 = 6,
    Unused7 = 7,
    Unused8 = 8,
    SetUrl = 9,
    Unused10 = 10,
    SetConnectionState = 11,
    SetFixedOption12 = 12,
    SetFixedOption13 = 13,
    SetFixedOption14 = 14,
    SetFixedOption15 = 15,
};

// Number of slots the host knows; the core's table may be longer.
constexpr int GameCoreSlotCount = 16;

// The game-core object that CreateZindle returns. It belongs to the game core
// until the host destroys it through destroy(); the host never deletes it.
// Return values are never used by the host.
class GameCore {
public:
    // Slot 0: destroys and frees the object; the host passes DestroyAndFree.
    // The last call the host makes on the object.
    virtual void ZINDLE_THISCALL destroy(int32_t flags) = 0;
    // Slot 1: called right after creation.
    virtual void ZINDLE_THISCALL initialize() = 0;
    // Slot 2: called at shutdown, after the message loop and before destroy().
    virtual void ZINDLE_THISCALL shutdown() = 0;
    // Slot 3: called once the URL, connection state and fixed options are set.
    virtual void ZINDLE_THISCALL applySettings() = 0;
    // Slot 4: attaches one of the core's components at start. The host passes
    // `enabled` = 1 and 0 for both reserved values; only AttachWindowKind
    // receives the game window, the others null.
    virtual void ZINDLE_THISCALL attachComponent(int32_t kind, int32_t enabled,
                                                 GameWindowHandle window, int32_t reserved1,
                                                 int32_t reserved2) = 0;
    // Slot 5: every window message the host forwards, and CoreNotifyMessage once at start.
    virtual void ZINDLE_THISCALL handleMessage(uint32_t message, MessageWParam wParam,
                                               MessageLParam lParam) = 0;
    // Slots 6 to 8: part of the core's table, never called by the host.
    virtual void ZINDLE_THISCALL unusedSlot6() = 0;
    virtual void ZINDLE_THISCALL unusedSlot7() = 0;
    virtual void ZINDLE_THISCALL unusedSlot8() = 0;
    // Slot 9: the game's URL, a NUL-terminated wide text the host keeps alive for the run.
    virtual void ZINDLE_THISCALL setUrl(const wchar_t* url) = 0;
    // Slot 10: part of the core's table, never called by the host.
    virtual void ZINDLE_THISCALL unusedSlot10() = 0;
    // Slot 11: the connection state, a NUL-terminated wide text kept alive for the run.
    virtual void ZINDLE_THISCALL setConnectionState(const wchar_t* connstate) = 0;
    // Slots 12 to 15: fixed start options. Their values are the host's
    // (FixedOption12Value and so on); what they mean belongs to the core.
    virtual void ZINDLE_THISCALL setFixedOption12(int32_t value) = 0;
    virtual void ZINDLE_THISCALL setFixedOption13(int32_t value) = 0;
    virtual void ZINDLE_THISCALL setFixedOption14(int32_t value) = 0;
    virtual void ZINDLE_THISCALL setFixedOption15(int32_t value) = 0;

protected:
    // Deliberately not virtual (see the top of this file), and protected so
    // that nobody deletes a core: destroy() is the only way to end one.
    // Being inaccessible also keeps -Wnon-virtual-dtor quiet for this class.
    ~GameCore() = default;
};

// The argument of destroy(): destroy the object and free its memory.
constexpr int32_t DestroyAndFree = 1;
// The `enabled` argument of every attachComponent() call the host makes.
constexpr int32_t AttachEnabled = 1;
// The component kind that receives the game window, attached first.
constexpr int32_t AttachWindowKind = 2;
// The component kinds attached after it, without a window.
constexpr int32_t AttachSecondKind = 3;
constexpr int32_t AttachThirdKind = 4;
// The fixed start options, one per slot from 12 to 15.
constexpr int32_t FixedOption12Value = 0;
constexpr int32_t FixedOption13Value = 2;
constexpr int32_t FixedOption14Value = 60;
constexpr int32_t FixedOption15Value = 1;

// The host record handed to CreateZindle. The game core may keep the pointer
// for the whole run, so there is one program-wide instance (gameHost() in
// host/game_core_binding.h). Three pointer-sized fields, in this order:
//   1. the callback table: this class's own virtual table, whose one entry is
//      callback();
//   2. gameWindow: the child game window, null until the core is started;
//   3. game: the GameCore object, null while there is none.
//
// No virtual destructor, on purpose: it would add entries to the callback
// table, which must hold exactly one. The record is never deleted through a
// pointer, so -Wnon-virtual-dtor is silenced for this class alone. Nor is the
// class final: a game core must reach callback() through the table, and
// `final` would let the compiler call the host's function directly.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
class GameHost {
public:
    // The one entry of the callback table. The game core may call it; the
    // host ignores both arguments and returns 0.
    virtual int32_t ZINDLE_THISCALL callback(uint32_t first, uint32_t second);

    GameWindowHandle gameWindow = nullptr;
    GameCore* game = nullptr;
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

// The record's layout on every build: the table pointer, then the two fields.
// GCC and Clang lay out this small polymorphic class predictably, so
// offsetof is reliable here even though the class is not standard-layout.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
#endif
static_assert(offsetof(GameHost, gameWindow) == sizeof(void*), "gameWindow is the second field");
static_assert(offsetof(GameHost, game) == 2 * sizeof(void*), "game is the third field");
#if defined(_WIN32) && defined(__i386__)
static_assert(offsetof(GameHost, gameWindow) == 4 && offsetof(GameHost, game) == 8,
              "the closed DLL reads the table at 0, the window at 4 and the game at 8");
#endif
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
static_assert(sizeof(GameHost) == 3 * sizeof(void*), "GameHost has exactly three fields");

#if defined(_WIN32) && defined(__i386__)
// The 32-bit build talks to the closed DLL: its record is 12 bytes and every
// argument it passes is 32 bits wide.
static_assert(sizeof(GameHost) == 12, "GameHost is three 32-bit fields");
static_assert(sizeof(GameWindowHandle) == 4, "a window handle is a 32-bit argument");
static_assert(sizeof(MessageWParam) == 4 && sizeof(MessageLParam) == 4,
              "message parameters are 32-bit arguments");
static_assert(sizeof(const wchar_t*) == 4 && sizeof(wchar_t) == 2,
              "texts are 32-bit pointers to UTF-16");
static_assert(sizeof(GameCore*) == 4 && sizeof(GameHost*) == 4, "objects are 32-bit pointers");
#endif

// The factory exported by zindleCore.dll: returns a new game-core object that
// keeps `host`, or null when the core cannot start.
extern "C" ZINDLE_CORE_API GameCore* ZINDLE_CDECL CreateZindle(GameHost* host);

#endif  // ZINDLE_HOST_GAME_CORE_H
