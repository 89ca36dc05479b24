// Object code that shows how the i686 build calls through the game-core
// contract, for tools/check-contract-code.sh to read where 32-bit programs
// cannot run. Each probe makes one call, so its disassembly holds exactly one
// indirect call: the table offset it uses is the slot, and the register that
// carries the object shows the calling convention. The probes are compiled,
// never linked or run.
#include "host/game_core.h"

extern "C" {
void probeSlot0(GameCore* core) {
    core->destroy(DestroyAndFree);
}
void probeSlot1(GameCore* core) {
    core->initialize();
}
void probeSlot2(GameCore* core) {
    core->shutdown();
}
void probeSlot3(GameCore* core) {
    core->applySettings();
}
void probeSlot4(GameCore* core) {
    core->attachComponent(AttachWindowKind, AttachEnabled, nullptr, 0, 0);
}
void probeSlot5(GameCore* core) {
    core->handleMessage(0, 0, 0);
}
void probeSlot6(GameCore* core) {
    core->unusedSlot6();
}
void probeSlot7(GameCore* core) {
    core->unusedSlot7();
}
void probeSlot8(GameCore* core) {
    core->unusedSlot8();
}
void probeSlot9(GameCore* core) {
    core->setUrl(nullptr);
}
void probeSlot10(GameCore* core) {
    core->unusedSlot10();
}
void probeSlot11(GameCore* core) {
    core->setConnectionState(nullptr);
}
void probeSlot12(GameCore* core) {
    core->setFixedOption12(FixedOption12Value);
}
void probeSlot13(GameCore* core) {
    core->setFixedOption13(FixedOption13Value);
}
void probeSlot14(GameCore* core) {
    core->setFixedOption14(FixedOption14Value);
}
void probeSlot15(GameCore* core) {
    core->setFixedOption15(FixedOption15Value);
}
// The host record's callback, called as a game core calls it: through the
// record's table.
int32_t probeHostCallback(GameHost* host) {
    return host->callback(0, 0);
}
}
