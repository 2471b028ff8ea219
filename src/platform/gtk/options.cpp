#include "platform/gtk/options.h"

#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "install/report.h"
#include "window/identity.h"

namespace veldor::gtk {

CommandLine ReadOptions(int& argc, char**& argv) {
    gboolean silent = FALSE, version = FALSE, restore = FALSE;
    gchar* folder = nullptr;
    GOptionEntry entries[] = {
        {"silent", 0, 0, G_OPTION_ARG_NONE, &silent,
         "静默安装：不打开窗口，不需要显示器，消息写到标准错误", nullptr},
        {"folder", 0, 0, G_OPTION_ARG_FILENAME, &folder,
         "游戏文件夹（静默安装必需；否则文件夹对话框在此打开）", "文件夹"},
        {"restore", 0, 0, G_OPTION_ARG_NONE, &restore, "还原为安装时保留的原版文件", nullptr},
        {"version", 0, 0, G_OPTION_ARG_NONE, &version, "显示版本", nullptr},
        {}};
    std::unique_ptr<GOptionContext, decltype(&g_option_context_free)> context(
        g_option_context_new(nullptr), &g_option_context_free);
    g_option_context_set_summary(context.get(), std::string(application_title).c_str());
    g_option_context_set_description(context.get(), veldor::exit_codes_text);
    g_option_context_add_main_entries(context.get(), entries, nullptr);
    // GTK's own options (--display and the like), read without opening it.
    g_option_context_add_group(context.get(), gtk_get_option_group(FALSE));

    CommandLine command;
    GError* error = nullptr;
    if (!g_option_context_parse(context.get(), &argc, &argv, &error)) {
        std::fprintf(stderr, "%s: %s\n", g_get_prgname(), error->message);
        g_clear_error(&error);
        command.malformed = true;
    } else if (argc > 1) {
        std::fprintf(stderr, "%s: 多余的参数 %s\n", g_get_prgname(), argv[1]);
        command.malformed = true;
    }
    if (version && !command.malformed) {
        std::printf("%s %s\n", std::string(project_name).c_str(),
                    std::string(product_version).c_str());
        std::exit(0);
    }
    command.silent = silent;
    command.restore = restore;
    if (folder) {
        // The installation changes the current directory as it goes: the
        // folder must not depend on it.
        std::unique_ptr<gchar, decltype(&g_free)> absolute(
            *folder ? g_canonicalize_filename(folder, nullptr) : nullptr, &g_free);
        if (absolute)
            command.folder = absolute.get();
        else
            std::fprintf(stderr, "%s: --folder 需要一个文件夹\n", g_get_prgname());
        command.malformed |= !absolute;
        g_free(folder);
    }
    return command;
}

}  // namespace veldor::gtk
