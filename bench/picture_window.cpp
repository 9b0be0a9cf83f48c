// A minimal picture window: what a program like Tarrow's start window must
// do before it shows, and no more. It starts OLE and the common controls,
// loads one JPEG (the path on its command line) with OLE's picture loader,
// and shows one pop-up of the start window's size that paints it.
#include "bench/jpeg_picture.h"

#include <commctrl.h>
#include <ole2.h>

#include <memory>

namespace {

std::unique_ptr<bench::JpegPicture> picture;

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(window, &paint);
        RECT client{};
        GetClientRect(window, &client);
        picture->render(dc, client.right, client.bottom);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    picture = std::make_unique<bench::JpegPicture>(commandLine);

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "BenchPicture";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "BenchPicture", "Picture", WS_POPUP, 100, 100, 384, 160,
                                  nullptr, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    picture.reset();
    OleUninitialize();
    return 0;
}
