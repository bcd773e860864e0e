#pragma once
// What the repair flow's prompts say; the end-to-end tests and the benchmarks find the prompts by
// these texts.
inline constexpr wchar_t kConfirmText[] = L"以下修复操作涉及到修改系统注册表，操作前请确认电脑里的资料均已备份！";
inline constexpr wchar_t kFailedText[] = L"屏闪修复失败！";
inline constexpr wchar_t kProgressText[] = L"正在修复，请稍等";
inline constexpr wchar_t kRestartQuestion[] =
    L"修复完成，建议您保存数据重新启动电脑再使用。现在就要重启吗？\r\n"
    L"如果重启后仍有问题，与软件无关，建议联系当地Quelto售后服务网点解决，请了解。";
inline constexpr wchar_t kRestartRefused[] = L"重启失败，请手动重新启动电脑。";

// The undo from the system menu.
inline constexpr wchar_t kUndoMenuText[] = L"撤销屏闪修复";
inline constexpr wchar_t kUndoConfirmText[] = L"将恢复修复前的显示设置，需要重新启动电脑后生效。";
inline constexpr wchar_t kUndoProgressText[] = L"正在撤销，请稍等";
inline constexpr wchar_t kUndoFailedText[] = L"撤销失败！";
inline constexpr wchar_t kUndoNothingWrittenText[] = L"撤销完成，设置已与修复前相同，无需重新启动。";
inline constexpr wchar_t kUndoRestartQuestion[] = L"撤销完成，需要重新启动电脑后生效。现在就要重启吗？";
