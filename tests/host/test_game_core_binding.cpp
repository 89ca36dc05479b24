// The binding against a fake game core: the start sequence, forwarding and
// shutdown, in the exact order the closed core expects. This test program
// provides CreateZindle itself.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/game_core.h"
#include "host/game_core_binding.h"
#include "host/window_messages.h"

namespace {

// One call as the fake core saw it.
struct Call {
    GameCoreSlot slot;
    std::vector<long long> numbers;
    const wchar_t* text = nullptr;  // the pointer itself: the core may keep it
    const GameCore* object = nullptr;

    bool operator==(const Call& other) const {
        return slot == other.slot && numbers == other.numbers && text == other.text &&
               object == other.object;
    }
};

void PrintTo(const Call& call, std::ostream* out) {
    *out << "slot " << static_cast<int>(call.slot) << " (";
    for (long long number : call.numbers)
        *out << number << ' ';
    *out << (call.text ? "text" : "") << ")";
}

std::vector<Call> calls;
std::function<GameCore*(GameHost*)> factory;

long long handleValue(GameWindowHandle window) {
    return static_cast<long long>(reinterpret_cast<std::intptr_t>(window));
}

// Records every call; optional hooks let a test act from inside a call.
class FakeCore final : public GameCore {
public:
    std::function<void()> onInitialize;
    std::function<void()> onShutdown;

    void destroy(int32_t flags) override { record(GameCoreSlot::Destroy, {flags}); }
    void initialize() override {
        record(GameCoreSlot::Initialize, {});
        if (onInitialize)
            onInitialize();
    }
    void shutdown() override {
        record(GameCoreSlot::Shutdown, {});
        if (onShutdown)
            onShutdown();
    }
    void applySettings() override { record(GameCoreSlot::ApplySettings, {}); }
    void attachComponent(int32_t kind, int32_t enabled, GameWindowHandle window, int32_t reserved1,
                         int32_t reserved2) override {
        record(GameCoreSlot::AttachComponent,
               {kind, enabled, handleValue(window), reserved1, reserved2});
    }
    void handleMessage(uint32_t message, MessageWParam wParam, MessageLParam lParam) override {
        record(GameCoreSlot::HandleMessage, {message, static_cast<long long>(wParam), lParam});
    }
    void unusedSlot6() override { record(GameCoreSlot::Unused6, {}); }
    void unusedSlot7() override { record(GameCoreSlot::Unused7, {}); }
    void unusedSlot8() override { record(GameCoreSlot::Unused8, {}); }
    void setUrl(const wchar_t* url) override { record(GameCoreSlot::SetUrl, {}, url); }
    void unusedSlot10() override { record(GameCoreSlot::Unused10, {}); }
    void setConnectionState(const wchar_t* connstate) override {
        record(GameCoreSlot::SetConnectionState, {}, connstate);
    }
    void setFixedOption12(int32_t value) override {
        record(GameCoreSlot::SetFixedOption12, {value});
    }
    void setFixedOption13(int32_t value) override {
        record(GameCoreSlot::SetFixedOption13, {value});
    }
    void setFixedOption14(int32_t value) override {
        record(GameCoreSlot::SetFixedOption14, {value});
    }
    void setFixedOption15(int32_t value) override {
        record(GameCoreSlot::SetFixedOption15, {value});
    }

private:
    void record(GameCoreSlot slot, std::vector<long long> numbers, const wchar_t* text = nullptr) {
        calls.push_back(Call{slot, std::move(numbers), text, this});
    }
};

// Any address serves as a window handle: the binding never looks inside.
GameWindowHandle fakeWindow() {
    static char window;
    return reinterpret_cast<GameWindowHandle>(&window);
}

const wchar_t Url[] = L"https://play.example/\u4E2D\u6587";
const wchar_t Connstate[] = L"2";

class GameCoreBinding : public testing::Test {
protected:
    void SetUp() override {
        calls.clear();
        gameHost().game = nullptr;
        gameHost().gameWindow = nullptr;
        factory = [this](GameHost*) { return &core; };
    }
    void TearDown() override {
        gameHost().game = nullptr;
        factory = nullptr;
    }

    std::vector<Call> startSequence(const GameCore* object) const {
        const long long window = handleValue(fakeWindow());
        return {
            {GameCoreSlot::Initialize, {}, nullptr, object},
            {GameCoreSlot::SetFixedOption14, {60}, nullptr, object},
            {GameCoreSlot::SetFixedOption12, {0}, nullptr, object},
            {GameCoreSlot::SetFixedOption15, {1}, nullptr, object},
            {GameCoreSlot::SetUrl, {}, Url, object},
            {GameCoreSlot::SetFixedOption13, {2}, nullptr, object},
            {GameCoreSlot::SetConnectionState, {}, Connstate, object},
            {GameCoreSlot::ApplySettings, {}, nullptr, object},
            {GameCoreSlot::AttachComponent, {2, 1, window, 0, 0}, nullptr, object},
            {GameCoreSlot::AttachComponent, {3, 1, 0, 0, 0}, nullptr, object},
            {GameCoreSlot::AttachComponent, {4, 1, 0, 0, 0}, nullptr, object},
            {GameCoreSlot::HandleMessage, {0x500, 0, 0}, nullptr, object},
        };
    }

    FakeCore core;
};

TEST_F(GameCoreBinding, StartConfiguresTheCoreInItsFixedOrder) {
    startGameCore(fakeWindow(), Url, Connstate);
    EXPECT_EQ(calls, startSequence(&core));
    EXPECT_EQ(gameHost().game, &core);
    EXPECT_EQ(gameHost().gameWindow, fakeWindow());
}

TEST_F(GameCoreBinding, FactoryGetsTheProgramWideRecordWithTheWindowAlreadySet) {
    GameHost* received = nullptr;
    GameWindowHandle windowAtCreation = nullptr;
    GameCore* gameAtCreation = &core;
    factory = [&](GameHost* host) {
        received = host;
        windowAtCreation = host->gameWindow;
        gameAtCreation = host->game;
        return &core;
    };
    startGameCore(fakeWindow(), Url, Connstate);
    EXPECT_EQ(received, &gameHost());
    EXPECT_EQ(windowAtCreation, fakeWindow());
    EXPECT_EQ(gameAtCreation, nullptr);
}

TEST_F(GameCoreBinding, WithoutAGameObjectNothingIsCalled) {
    factory = [](GameHost*) { return nullptr; };
    startGameCore(fakeWindow(), Url, Connstate);
    forwardMessage(0x0200, 1, 2);
    stopGameCore();
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(gameHost().game, nullptr);
    EXPECT_EQ(gameHost().gameWindow, fakeWindow());  // stored before the factory was asked
}

TEST_F(GameCoreBinding, ANullGameWindowIsPassedOnAsNull) {
    startGameCore(nullptr, Url, Connstate);
    ASSERT_EQ(calls.size(), startSequence(&core).size());
    EXPECT_EQ(calls[8].numbers, (std::vector<long long>{2, 1, 0, 0, 0}));
}

TEST_F(GameCoreBinding, ForwardingPassesTheMessageUnchanged) {
    startGameCore(fakeWindow(), Url, Connstate);
    calls.clear();
    forwardMessage(0x0200, 7, -9);
    forwardMessage(0x0010, 0, 0);
    forwardMessage(0x7FFF, 0xFFFFFFFFu, 0x7FFFFFFF);
    const std::vector<Call> expected = {
        {GameCoreSlot::HandleMessage, {0x0200, 7, -9}, nullptr, &core},
        {GameCoreSlot::HandleMessage, {0x0010, 0, 0}, nullptr, &core},
        {GameCoreSlot::HandleMessage, {0x7FFF, 0xFFFFFFFFll, 0x7FFFFFFF}, nullptr, &core},
    };
    EXPECT_EQ(calls, expected);
}

TEST_F(GameCoreBinding, ForwardingBeforeStartIsSkipped) {
    forwardMessage(0x0005, 0, 0);
    EXPECT_TRUE(calls.empty());
}

TEST_F(GameCoreBinding, StopShutsDownThenDestroysThenForgets) {
    startGameCore(fakeWindow(), Url, Connstate);
    calls.clear();
    stopGameCore();
    const std::vector<Call> expected = {
        {GameCoreSlot::Shutdown, {}, nullptr, &core},
        {GameCoreSlot::Destroy, {1}, nullptr, &core},
    };
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(gameHost().game, nullptr);

    calls.clear();
    stopGameCore();
    forwardMessage(0x0200, 0, 0);
    EXPECT_TRUE(calls.empty());
}

TEST_F(GameCoreBinding, TheGameObjectIsReadAgainBeforeEveryCall) {
    // A core may hand over to another object from inside a call.
    FakeCore successor;
    core.onInitialize = [&] { gameHost().game = &successor; };
    startGameCore(fakeWindow(), Url, Connstate);

    std::vector<Call> expected = startSequence(&successor);
    expected.front().object = &core;  // only initialize() reached the first object
    EXPECT_EQ(calls, expected);
}

TEST_F(GameCoreBinding, ACoreThatForgetsItselfAtShutdownIsNotDestroyed) {
    startGameCore(fakeWindow(), Url, Connstate);
    core.onShutdown = [] { gameHost().game = nullptr; };
    calls.clear();
    stopGameCore();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls.front().slot, GameCoreSlot::Shutdown);
}

TEST_F(GameCoreBinding, UnusedSlotsAreNeverCalled) {
    startGameCore(fakeWindow(), Url, Connstate);
    forwardMessage(0x0100, 0x41, 1);
    stopGameCore();
    for (const Call& call : calls) {
        EXPECT_NE(call.slot, GameCoreSlot::Unused6);
        EXPECT_NE(call.slot, GameCoreSlot::Unused7);
        EXPECT_NE(call.slot, GameCoreSlot::Unused8);
        EXPECT_NE(call.slot, GameCoreSlot::Unused10);
    }
    EXPECT_EQ(calls.size(), startSequence(&core).size() + 3);
}

}  // namespace

// The game-core factory of this test program.
extern "C" GameCore* ZINDLE_CDECL CreateZindle(GameHost* host) {
    return factory ? factory(host) : nullptr;
}
