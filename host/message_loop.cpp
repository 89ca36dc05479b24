#include "host/message_loop.h"

#include "host/close_grace.h"
#include "host/host_state.h"

namespace {

// How a look for the next message ended.
enum class Retrieval {
    Message,    // a message to translate and dispatch
    Quit,       // WM_QUIT: the run is over
    Failed,     // the platform could not retrieve a message
    GraceOver,  // a close was pending and no message came before its deadline
};

// Sleeps until input arrives or the pending close's grace period is over.
// Returns false only in the second case. Input that is already waiting counts
// too, so a steady stream of messages is handled exactly as without a close.
bool waitForInputWithinGrace() {
    const HostState& host = hostState();
    const DWORD timeLeft = closeGraceRemainingMs(host.closeRequestedAt, hostClock());
    const DWORD woken =
        MsgWaitForMultipleObjectsEx(0, nullptr, timeLeft, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    return woken != WAIT_TIMEOUT || !hostCloseGraceExpired();
}

// Retrieves the next message into `message`. Without a pending close this
// sleeps in GetMessage as long as it takes. While a close is pending it never
// sleeps past the grace period, since an idle game must still end on time.
Retrieval retrieveMessage(MSG& message) {
    MSG next = {};
    while (hostState().closeRequestedAt != 0) {
        if (!waitForInputWithinGrace())
            return Retrieval::GraceOver;
        if (PeekMessageW(&next, nullptr, 0, 0, PM_REMOVE)) {
            message = next;
            return message.message == WM_QUIT ? Retrieval::Quit : Retrieval::Message;
        }
        // Only sent messages were waiting; PeekMessage has handled them, and
        // one of them may have cancelled the close. Look again.
    }
    const BOOL result = GetMessageW(&next, nullptr, 0, 0);
    if (result == -1)
        return Retrieval::Failed;  // end the run rather than spin on the error
    message = next;
    return result == 0 ? Retrieval::Quit : Retrieval::Message;
}

}  // namespace

// Runs the message loop of the calling thread until WM_QUIT, a failed
// retrieval, or the end of a close request's grace period: at the first
// message handled more than CloseGraceMs after the request, or at the end of
// the period itself when no message arrives. Returns the wParam of the last
// message retrieved, which becomes the exit code.
WPARAM runMessageLoop() {
    MSG message = {};
    // Take messages for every window of this thread until WM_QUIT.
    while (retrieveMessage(message) == Retrieval::Message) {
        TranslateMessage(&message);  // key presses also produce character messages
        DispatchMessageW(&message);  // to windowProcedure (or a dialog's procedure)

        // A close request that neither ended nor was cancelled gives up at the
        // first message handled after its grace period.
        if (hostCloseGraceExpired())
            break;
    }
    return message.wParam;
}
