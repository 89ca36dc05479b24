#include "host/main_window.h"

#include "host/host_state.h"
#include "host/window_procedure.h"
#include "resources/resource.h"

namespace {

// Shown when the child game window cannot be created; a fixed text, spelling included.
constexpr wchar_t GameWindowFailedText[] = L"Create Game Window Faild!";
constexpr wchar_t GameWindowFailedCaption[] = L"CreateWindow";

// Outer size of a top-level window whose client area is InitialClientWidth x
// InitialClientHeight, from the sizing frame and caption metrics.
SIZE initialWindowSize() {
    // A sizing frame on each side, a caption on top.
    const int frameWidth = GetSystemMetrics(SM_CXFRAME);
    const int frameHeight = GetSystemMetrics(SM_CYFRAME);
    const int captionHeight = GetSystemMetrics(SM_CYCAPTION);
    return SIZE{InitialClientWidth + 2 * frameWidth,
                InitialClientHeight + 2 * frameHeight + captionHeight};
}

// Centres a window of `size` on the primary screen. The left edge may be
// negative on a narrow screen; the top edge never is, so the caption stays
// reachable.
POINT centredPosition(SIZE size) {
    const int x = (GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2;
    return POINT{x, y < 0 ? 0 : y};
}

// Creates the top-level window, centred and not yet shown, and records its
// outer size in the host state. Returns null on failure.
HWND createMainWindow(HINSTANCE instance) {
    HostState& host = hostState();
    const SIZE size = initialWindowSize();
    host.windowWidth = size.cx;
    host.windowHeight = size.cy;
    const POINT position = centredPosition(size);
    return CreateWindowExW(0,                    // no extended style
                           host.className,       // window class
                           WindowCaption,        // caption
                           WS_OVERLAPPEDWINDOW,  // style
                           position.x,           // position
                           position.y,           //
                           host.windowWidth,     // size
                           host.windowHeight,    //
                           nullptr,              // no parent
                           nullptr,              // no menu
                           instance,             // module instance
                           nullptr);             // no creation data
}

// Creates the visible child game window over the whole client area of
// `parent`. Returns null on failure.
HWND createGameWindow(HINSTANCE instance, HWND parent) {
    RECT client = {};
    GetClientRect(parent, &client);
    return CreateWindowExW(0,                      // no extended style
                           hostState().className,  // the same class as the parent
                           WindowCaption,          // caption
                           WS_CHILD | WS_VISIBLE,  // style
                           0,                      // position: the client area's corner
                           0,                      //
                           client.right,           // size: the whole client area
                           client.bottom,          //
                           parent,                 // parent window
                           nullptr,                // no child identifier
                           instance,               // module instance
                           nullptr);               // no creation data
}

}  // namespace

void registerWindowClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_LAUNCHER));
    // LoadIcon would pick the large size; ask for the small one so the caption
    // shows the icon drawn for it instead of a shrunken large one.
    windowClass.hIconSm = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_LAUNCHER_SMALL), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = hostState().className;
    RegisterClassExW(&windowClass);
}

// Creates the top-level window (centred, then shown maximized) and the child
// game window covering its client area, and stores both in the host state.
// Returns false when the top-level window cannot be created. A failed game
// window is reported in a message box and the run goes on without one.
bool createWindows(HINSTANCE instance) {
    HostState& host = hostState();
    host.instance = instance;

    const HWND mainWindow = createMainWindow(instance);
    if (!mainWindow)
        return false;
    host.maximized = true;
    ShowWindow(mainWindow, SW_SHOWMAXIMIZED);
    UpdateWindow(mainWindow);
    host.mainWindow = mainWindow;

    host.gameWindow = createGameWindow(instance, mainWindow);
    if (!host.gameWindow) {
        MessageBoxW(mainWindow, GameWindowFailedText, GameWindowFailedCaption, MB_OK);
        return true;
    }
    ShowWindow(host.gameWindow, SW_SHOWDEFAULT);
    return true;
}
