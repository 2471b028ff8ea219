// A scripted platform: an in-memory game folder, a folder dialog that answers
// from the script, message boxes recorded, and any operation made to fail.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace veldor::testing {

enum class Op { delete_file, set_current_directory, write_file };

struct Box {
    std::string text;
    Icon icon;
    bool operator==(const Box&) const = default;
};

using Blob = std::vector<unsigned char>;

class FakePlatform : public Platform {
public:
    // The script.
    std::optional<std::string> dialog_answer;  // nullopt: the player cancels
    std::set<std::string> directories;
    std::map<std::string, Blob> files;
    // Of type CUSTOM, distinct so that a mix-up shows.
    std::map<unsigned, Blob> resources{
        {101, Blob(101, 101)}, {102, Blob(102, 102)}, {103, Blob(103, 103)}, {104, Blob(104, 104)}};
    std::set<std::pair<Op, std::string>> failures;
    GamePlaces places;

    // What happened.
    std::vector<Box> boxes;
    std::vector<std::string> written;  // in order
    std::vector<std::string> opened;
    std::string current_directory = "C:\\";
    std::optional<int> exit_code;  // set when the program ended

    void message_box(std::string_view text, Icon icon) override {
        boxes.push_back({std::string(text), icon});
    }
    std::optional<std::string> browse_for_folder(const FolderRequest&) override {
        return dialog_answer;
    }
    bool file_exists(const std::string& path) override;
    bool directory_exists(const std::string& path) override;
    GamePlaces game_places() override { return places; }
    std::vector<std::string> subfolders(const std::string& folder, std::size_t limit) override;
    std::optional<std::string> read_small_file(const std::string& folder, std::string_view name,
                                               std::size_t limit) override;
    bool delete_file(const std::string& path) override;
    bool set_current_directory(const std::string& path) override;
    bool write_file(const std::string& name, Bytes bytes) override;
    std::optional<Bytes> read_resource(std::string_view type, unsigned id) override;
    void open_document(std::string_view address) override { opened.emplace_back(address); }
    void end_program(int code) override { exit_code = code; }

private:
    bool fails(Op op, const std::string& path) const { return failures.contains({op, path}); }
};

}  // namespace veldor::testing
