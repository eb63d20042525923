// A headless display opened per test with an inline script, one window class whose
// procedure records every message, and helpers to run the loop and read the screen.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "rgb_pixels.h"
#include "temp_device.h"
#include "wce/display.h"
#include "wce/platform.h"
#include "wce/window.h"

// Window numbers in a trace count every window the process ever made: renumbered in order of
// first appearance, a run's trace does not depend on the tests that ran before it.
inline std::string RenumberWindows(const std::string& trace)
{
    std::map<std::string, int> numbers;
    std::string out;
    static const std::regex kName(" w[0-9]+\\b");
    std::smatch m;
    std::string rest = trace;
    while (std::regex_search(rest, m, kName)) {
        auto found = numbers.emplace(m.str(), static_cast<int>(numbers.size()) + 1).first;
        out += m.prefix().str() + " w" + std::to_string(found->second);
        rest = m.suffix().str();
    }
    return out + rest;
}

inline std::string RectText(const RECT& rc)
{
    return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) + "," +
           std::to_string(rc.bottom);
}

struct Recorded {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    DWORD tick;
};

// Options of a headless display of that size running that script.
inline wce::host::DisplayOptions Headless(const std::string& script, int width = 800, int height = 480)
{
    wce::host::DisplayOptions options;
    options.backend = wce::host::DisplayOptions::Backend::Headless;
    options.width = width;
    options.height = height;
    options.scriptText = script;
    return options;
}

class WindowTest : public ::testing::Test {
protected:
    using Handler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)>;

    static std::vector<Recorded>& Log()
    {
        static std::vector<Recorded> log;
        return log;
    }
    // Windows painted with a solid colour on WM_PAINT.
    static std::map<HWND, COLORREF>& Colors()
    {
        static std::map<HWND, COLORREF> colors;
        return colors;
    }
    // A handler that may take a message before the default.
    static Handler& Hook()
    {
        static Handler hook;
        return hook;
    }

    static LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        Log().push_back(Recorded{hwnd, msg, wParam, lParam, GetTickCount()});
        LRESULT result = 0;
        if (Hook() && Hook()(hwnd, msg, wParam, lParam, result)) return result;
        auto color = Colors().find(hwnd);
        if (WM_PAINT == msg && color != Colors().end()) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            HBRUSH brush = CreateSolidBrush(color->second);
            RECT client;
            GetClientRect(hwnd, &client);
            FillRect(dc, &client, brush);  // the DC clips to the paint rectangle
            DeleteObject(brush);
            EndPaint(hwnd, &ps);
            return 0;
        }
        if (WM_ERASEBKGND == msg && color != Colors().end()) return 1;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    void SetUp() override
    {
        Log().clear();
        Colors().clear();
        Hook() = nullptr;
        WNDCLASSW wc{};
        wc.lpfnWndProc = &WindowTest::Proc;
        wc.lpszClassName = u"TestWnd";
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(0));
        RegisterClassW(&wc);
    }
    void TearDown() override
    {
        Hook() = nullptr;
        for (HWND hwnd : Made()) DestroyWindow(hwnd);
        Made().clear();
        wce::host::CloseDisplay();
    }
    static std::vector<HWND>& Made()
    {
        static std::vector<HWND> made;
        return made;
    }

    bool Open(const std::string& script, int width = 200, int height = 100, int bpp = 16, bool closeAtEnd = false)
    {
        wce::host::DisplayOptions options = Headless(script, width, height);
        options.bitsPerPixel = bpp;
        options.tracePath = TracePath();
        options.closeAtScriptEnd = closeAtEnd;
        std::string error;
        bool ok = wce::host::OpenDisplay(options, error);
        EXPECT_TRUE(ok) << error;
        return ok;
    }

    static std::string TracePath()
    {
        return ::testing::TempDir() + "trace-" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
    }
    static std::string ReadTrace() { return ReadHostBytes(TracePath()); }

    static HWND Make(int x, int y, int w, int h, DWORD style = WS_POPUP | WS_VISIBLE, HWND parent = nullptr,
                     COLORREF color = CLR_INVALID)
    {
        HWND hwnd = CreateWindowExW(0, u"TestWnd", u"", style, x, y, w, h, parent, nullptr, nullptr, nullptr);
        if (hwnd && color != CLR_INVALID) Colors()[hwnd] = color;
        if (hwnd) Made().push_back(hwnd);
        return hwnd;
    }

    // Runs the loop until the run ends (the script is done and no timer is set), keeping what it
    // dispatched.
    void RunLoop(bool translate = true)
    {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0)) {
            m_dispatched.push_back(msg);
            if (translate) TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    std::vector<MSG> m_dispatched;
    // Dispatches what is waiting now, without waiting.
    static void Drain()
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }

    // Lets the program wait once (which presents what changed), 1 ms of virtual time.
    static void WaitOnce()
    {
        UINT_PTR timer = SetTimer(nullptr, 0, 1, nullptr);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) && !(WM_TIMER == msg.message && !msg.hwnd)) DispatchMessageW(&msg);
        KillTimer(nullptr, timer);
    }

    static std::vector<UINT> MessagesOf(HWND hwnd, std::initializer_list<UINT> only = {})
    {
        std::vector<UINT> out;
        for (const Recorded& r : Log()) {
            if (r.hwnd != hwnd) continue;
            if (only.size() && std::find(only.begin(), only.end(), r.msg) == only.end()) continue;
            out.push_back(r.msg);
        }
        return out;
    }

    // The presented screen's colour at (x, y) as 0xRRGGBB.
    static std::uint32_t ScreenAt(int x, int y)
    {
        wce::host::RgbaImage image;
        wce::host::GetScreenImage(image);
        return RgbAt(image, x, y);
    }
};
