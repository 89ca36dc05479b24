#include "host/game_core_binding.h"

#include "host/window_messages.h"

namespace {

// Calls one operation on the current game object, if there is one. The core
// may replace or clear `game` from inside any call, so it is read afresh
// before every call rather than kept in a local.
template <typename Call>
void withGame(Call call) {
    if (GameCore* game = gameHost().game)
        call(*game);
}

}  // namespace

int32_t GameHost::callback(uint32_t, uint32_t) {
    return 0;
}

GameHost& gameHost() {
    static GameHost host;
    return host;
}

// Stores the game window in the host record, asks CreateZindle for the game
// object and configures it in the core's fixed order. The two texts must stay
// alive for the whole run: the core may keep the pointers. When the factory
// returns null the run goes on without a game object.
void startGameCore(GameWindowHandle gameWindow, const wchar_t* url, const wchar_t* connstate) {
    GameHost& host = gameHost();
    host.gameWindow = gameWindow;
    host.game = CreateZindle(&host);
    if (!host.game)
        return;  // no game object: the run goes on, and forwarding is skipped

    // The core expects exactly this order.
    withGame([](GameCore& game) { game.initialize(); });
    withGame([](GameCore& game) { game.setFixedOption14(FixedOption14Value); });
    withGame([](GameCore& game) { game.setFixedOption12(FixedOption12Value); });
    withGame([](GameCore& game) { game.setFixedOption15(FixedOption15Value); });
    withGame([url](GameCore& game) { game.setUrl(url); });
    withGame([](GameCore& game) { game.setFixedOption13(FixedOption13Value); });
    withGame([connstate](GameCore& game) { game.setConnectionState(connstate); });
    withGame([](GameCore& game) { game.applySettings(); });
    withGame([gameWindow](GameCore& game) {
        game.attachComponent(AttachWindowKind, AttachEnabled, gameWindow, 0, 0);
    });
    withGame([](GameCore& game) {
        game.attachComponent(AttachSecondKind, AttachEnabled, nullptr, 0, 0);
    });
    withGame([](GameCore& game) {
        game.attachComponent(AttachThirdKind, AttachEnabled, nullptr, 0, 0);
    });
    withGame([](GameCore& game) { game.handleMessage(CoreNotifyMessage, 0, 0); });
}

void forwardMessage(uint32_t message, MessageWParam wParam, MessageLParam lParam) {
    withGame([=](GameCore& game) { game.handleMessage(message, wParam, lParam); });
}

void stopGameCore() {
    withGame([](GameCore& game) { game.shutdown(); });
    withGame([](GameCore& game) { game.destroy(DestroyAndFree); });
    gameHost().game = nullptr;
}
