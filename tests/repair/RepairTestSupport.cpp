#include "RepairTestSupport.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include <cstdlib>

#include "framework/Encoding.h"
#include "framework/Handle.h"
#include "framework/RegKey.h"
#include "log/LogSave.h"
#include "repair/RepairMessages.h"
#include "repair/RepairTarget.h"
#include "support/TestSupport.h"

namespace {

void SetPsr(DWORD type, const void* data, DWORD size)
{
    CRegKey key;
    if (key.Create(HKEY_LOCAL_MACHINE, kAdapterKey, KEY_SET_VALUE) != ERROR_SUCCESS)
        throw std::runtime_error("cannot open the adapter key");
    if (RegSetValueExW(key.Get(), kPsrValueName, 0, type, static_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
        throw std::runtime_error("cannot set the adapter value");
}

// "执行修改 DalPSRFeatureEnable 修复屏闪命令失败" in GBK.
const std::string kFailure =
    "\xd6\xb4\xd0\xd0\xd0\xde\xb8\xc4 DalPSRFeatureEnable \xd0\xde\xb8\xb4\xc6\xc1\xc9\xc1\xc3\xfc\xc1\xee\xca\xa7"
    "\xb0\xdc";

std::string RepairLog()
{
    return ReadBytes(CommonAppDataBase() + L"ToolLog\\屏闪修复工具.txt");
}

}  // namespace

void SetPsrValue(DWORD value)
{
    SetPsr(REG_DWORD, &value, sizeof value);
}

void SetPsrText(const wchar_t* text)
{
    SetPsr(REG_SZ, text, static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
}

bool ReadPsrValue(DWORD& value)
{
    DWORD size = sizeof value;
    return RegGetValueW(HKEY_LOCAL_MACHINE, kAdapterKey, kPsrValueName, RRF_RT_REG_DWORD, nullptr, &value, &size) ==
           ERROR_SUCCESS;
}

NotifyWindow::NotifyWindow(std::function<void(WPARAM)> onResult) : m_onResult(std::move(onResult))
{
    CHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_thread = std::thread([this, &ready] { Run(ready.Get()); });
    WaitForSingleObject(ready.Get(), INFINITE);
    if (m_hwnd == nullptr) {
        m_thread.join();
        throw std::runtime_error("the notify window could not be created");
    }
}

NotifyWindow::~NotifyWindow()
{
    PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
    m_thread.join();
}

std::vector<NotifyWindow::Message> NotifyWindow::Received() const
{
    std::lock_guard<std::mutex> hold(m_mutex);
    return m_received;
}

std::vector<DWORD> NotifyWindow::HandlingThreads() const
{
    std::lock_guard<std::mutex> hold(m_mutex);
    return m_handlingThreads;
}

void NotifyWindow::Run(HANDLE ready)
{
    static const wchar_t kClass[] = L"PalluxTestNotifyWindow";
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &NotifyWindow::WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClass;
    RegisterClassW(&windowClass);  // already registered by an earlier window: fine

    m_threadId = GetCurrentThreadId();
    m_hwnd = CreateWindowExW(0, kClass, L"notify", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                             windowClass.hInstance, this);
    SetEvent(ready);
    if (m_hwnd == nullptr) return;

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

LRESULT CALLBACK NotifyWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<NotifyWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
    case WM_CLOSE_EXECUTE_PROMPT:
    case WM_REPAIR_RESULT: {
        {
            std::lock_guard<std::mutex> hold(self->m_mutex);
            self->m_received.emplace_back(message, wParam);
            self->m_handlingThreads.push_back(GetCurrentThreadId());
        }
        if (message == WM_REPAIR_RESULT && self->m_onResult) self->m_onResult(wParam);
        return 0;
    }
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

size_t RepairFailureRecords()
{
    return CountOccurrences(RepairLog(), kFailure);
}

CString LastRepairFailureDetail()
{
    const std::string log = RepairLog();
    const size_t at = log.rfind(kFailure);
    if (at == std::string::npos) return L"(no record)";
    const size_t from = at + kFailure.size();
    return WideFromCodePage(936, log.substr(from, log.find("\r\n", from) - from));
}

CString HelperPath()
{
    return ExecutableFolder() + L"\\child_helper.exe";
}

bool ProcessEnds(const std::string& pidText)
{
    const DWORD pid = std::strtoul(pidText.c_str(), nullptr, 10);
    if (pid == 0) {
        ADD_FAILURE() << "no process id: '" << pidText << "'";
        return false;
    }
    const CHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    return !process || WaitForSingleObject(process.Get(), 5000) == WAIT_OBJECT_0;
}
