// The game-core contract's layout: the table position of every GameCore
// operation and the shape of the GameHost record. A reordered declaration
// would still compile and still pass any test that goes through the header,
// so the positions are read from the compiler's own representation.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "host/game_core.h"

namespace {

// The table position of a virtual member function. GCC and Clang on x86
// (the Itanium C++ ABI, MinGW included) represent a pointer to a virtual
// member function as 1 + its byte offset in the table, followed by an
// adjustment of `this`.
template <typename Method>
int tableSlot(Method method) {
    struct Representation {
        std::uintptr_t pointer;
        std::ptrdiff_t adjustment;
    };
    static_assert(sizeof(Method) == sizeof(Representation), "Itanium member-pointer layout");
    Representation representation;
    std::memcpy(&representation, &method, sizeof representation);
    EXPECT_EQ(representation.pointer % 2, 1u) << "not a virtual function";
    EXPECT_EQ(representation.adjustment, 0);
    return static_cast<int>((representation.pointer - 1) / sizeof(void*));
}

struct SlotCase {
    const char* name;
    GameCoreSlot expected;
    int actual;
};

TEST(GameCore, OperationsSitInTheirSlots) {
    const SlotCase cases[] = {
        {"destroy", GameCoreSlot::Destroy, tableSlot(&GameCore::destroy)},
        {"initialize", GameCoreSlot::Initialize, tableSlot(&GameCore::initialize)},
        {"shutdown", GameCoreSlot::Shutdown, tableSlot(&GameCore::shutdown)},
        {"applySettings", GameCoreSlot::ApplySettings, tableSlot(&GameCore::applySettings)},
        {"attachComponent", GameCoreSlot::AttachComponent, tableSlot(&GameCore::attachComponent)},
        {"handleMessage", GameCoreSlot::HandleMessage, tableSlot(&GameCore::handleMessage)},
        {"unusedSlot6", GameCoreSlot::Unused6, tableSlot(&GameCore::unusedSlot6)},
        {"unusedSlot7", GameCoreSlot::Unused7, tableSlot(&GameCore::unusedSlot7)},
        {"unusedSlot8", GameCoreSlot::Unused8, tableSlot(&GameCore::unusedSlot8)},
        {"setUrl", GameCoreSlot::SetUrl, tableSlot(&GameCore::setUrl)},
        {"unusedSlot10", GameCoreSlot::Unused10, tableSlot(&GameCore::unusedSlot10)},
        {"setConnectionState", GameCoreSlot::SetConnectionState,
         tableSlot(&GameCore::setConnectionState)},
        {"setFixedOption12", GameCoreSlot::SetFixedOption12,
         tableSlot(&GameCore::setFixedOption12)},
        {"setFixedOption13", GameCoreSlot::SetFixedOption13,
         tableSlot(&GameCore::setFixedOption13)},
        {"setFixedOption14", GameCoreSlot::SetFixedOption14,
         tableSlot(&GameCore::setFixedOption14)},
        {"setFixedOption15", GameCoreSlot::SetFixedOption15,
         tableSlot(&GameCore::setFixedOption15)},
    };
    ASSERT_EQ(std::size(cases), static_cast<size_t>(GameCoreSlotCount));
    for (int index = 0; index < GameCoreSlotCount; ++index) {
        const SlotCase& c = cases[index];
        SCOPED_TRACE(c.name);
        EXPECT_EQ(static_cast<int>(c.expected), index);
        EXPECT_EQ(c.actual, index);
    }
}

TEST(GameHost, CallbackIsTheOnlyTableEntry) {
    EXPECT_EQ(tableSlot(&GameHost::callback), 0);
}

TEST(GameHost, RecordIsTableThenWindowThenGame) {
    GameHost host;
    const char* base = reinterpret_cast<const char*>(&host);
    EXPECT_EQ(reinterpret_cast<const char*>(&host.gameWindow) - base,
              static_cast<std::ptrdiff_t>(sizeof(void*)));
    EXPECT_EQ(reinterpret_cast<const char*>(&host.game) - base,
              static_cast<std::ptrdiff_t>(2 * sizeof(void*)));
    EXPECT_EQ(sizeof host, 3 * sizeof(void*));
    EXPECT_EQ(host.gameWindow, nullptr);
    EXPECT_EQ(host.game, nullptr);
}

TEST(GameHost, CallbackIgnoresItsArgumentsAndAnswersZero) {
    GameHost host;
    const uint32_t values[] = {0u, 1u, 0x501u, 0x7FFFFFFFu, 0xFFFFFFFFu};
    for (uint32_t first : values) {
        for (uint32_t second : values)
            EXPECT_EQ(host.callback(first, second), 0) << first << ", " << second;
    }
}

}  // namespace
