// Who the installer is and what it says of itself. Plain data, shared by the
// core and by every face (the platform captions its message boxes with
// `application_title`).
#pragma once

#include <string_view>

namespace veldor {

inline constexpr std::string_view application_title = "VELDOR汉化V1.2";
inline constexpr std::string_view project_name = "VELDOR汉化";

struct Version {
    int major, minor, build, revision;
};
inline constexpr Version file_version{1, 2, 0, 0};
inline constexpr std::string_view product_version = "1.02";

// Shown by the site label and opened when it is clicked.
inline constexpr std::string_view site_address = "http://tavlor.example/";

// The note shown in the window's text box: CR LF line ends, hard-wrapped for
// the game's GBK-encoded world (at most 67 bytes a line in code page 936).
inline constexpr std::string_view patch_note =
    "各位玩家好，我是Ostrvik。这是VELDOR汉化补丁的1.2版本。本补丁既没有\r\n"
    "加密，也没有做成外挂程序，为的是让大家都能看到汉化是怎样完成的，也\r\n"
    "希望有更多的朋友把这个游戏的汉化继续做下去。补丁中的中文字体是我自\r\n"
    "己制作的，其他汉化者可以随意拿去使用，只请尊重我们的劳动成果。补丁\r\n"
    "的更新请留意Tavlor网站以及其他各大游戏网站的消息。最后，请大家支持\r\n"
    "正版游戏，喜欢这个游戏的朋友请买正版！\r\n"
    "\r\n"
    "感谢 雪狐fox 为本补丁所做的测试工作\r\n"
    "感谢 Mirelka 为本补丁所做的翻译工作\r\n";

#define VELDOR_STRINGIFY_(x) #x
#define VELDOR_STRINGIFY(x) VELDOR_STRINGIFY_(x)

// The compiler that built this program, from its own macros. Clang and
// MinGW's GCC both define __GNUC__, so clang is asked first.
#if defined(__clang__)
#define VELDOR_COMPILER                                              \
    "Clang " VELDOR_STRINGIFY(__clang_major__) "." VELDOR_STRINGIFY( \
        __clang_minor__) "." VELDOR_STRINGIFY(__clang_patchlevel__)
#elif defined(__GNUC__)
#define VELDOR_COMPILER                                                                          \
    "GCC " VELDOR_STRINGIFY(__GNUC__) "." VELDOR_STRINGIFY(__GNUC_MINOR__) "." VELDOR_STRINGIFY( \
        __GNUC_PATCHLEVEL__)
#elif defined(_MSC_FULL_VER)
#define VELDOR_COMPILER "MSVC " VELDOR_STRINGIFY(_MSC_FULL_VER)
#else
#define VELDOR_COMPILER "C++ compiler"
#endif

inline constexpr std::string_view compiler_name = VELDOR_COMPILER;

inline constexpr std::string_view about_text =
    "Tavlor网—Tavlor论坛—TavlorFM工作组\r\n"
    "\r\n"
    "编译软件：" VELDOR_COMPILER
    "\r\n"
    "\r\n"
    "作者：Ostrvik";

}  // namespace veldor
