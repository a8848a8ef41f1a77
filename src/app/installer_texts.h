#pragma once
// The texts that the main window puts into its labels and boxes itself (the boxes' own texts
// come with their skin files).

namespace App {

inline constexpr wchar_t kDisplayName[] = L"Brisolan";
inline constexpr wchar_t kTipCaption[] = L"温馨提示";
inline constexpr wchar_t kMessageCaption[] = L"消息";
inline constexpr wchar_t kProductRunningText[] =
    L"安装程序检测到Brisolan\r\n正在运行，请退出程序后再安装";
inline constexpr wchar_t kInvalidPathText[] = L"无效路径";
inline constexpr wchar_t kLowDiskSpaceText[] = L"当前磁盘剩余空间低于1GB，请修改安装路径";
inline constexpr wchar_t kPoorNetworkText[] = L"当前网络环境较差，请在网络通畅时进行安装";
inline constexpr wchar_t kInstallFailedText[] = L"安装失败";
inline constexpr wchar_t kProgressResetText[] = L"正在安装中:0%，请稍候...";
inline constexpr wchar_t kChooseFolderTitle[] = L"选择一个文件夹";

}  // namespace App
