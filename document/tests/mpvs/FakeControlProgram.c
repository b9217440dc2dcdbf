/* Shows one window, titled by its first argument or as the control program titles its own, until closed. */
#include <windows.h>

static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
    {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR arguments, int show)
{
    (void)previous;
    WNDCLASSW windowClass = {0};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"FakeControlProgram";
    RegisterClassW(&windowClass);
    const wchar_t* title = arguments && arguments[0] ? arguments : L"MPVS Ultra Control Interface";
    HWND window = CreateWindowW(L"FakeControlProgram", title, WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, NULL, NULL,
                                instance, NULL);
    ShowWindow(window, show);
    MSG message;
    while (GetMessageW(&message, NULL, 0, 0) > 0)
    {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
