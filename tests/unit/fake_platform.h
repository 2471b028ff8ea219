// A scripted platform: an in-memory game folder, a folder dialog that answers
// from the script, message boxes recorded, and every file operation logged,
// so that a test can make any one of them fail, or cut the power there.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace veldor::testing {

enum class Op {
    file_state,
    set_current_directory,
    stage_file,
    move_file,
    delete_file,
    flush_folder,
    read_resource,
    sha256
};

struct Box {
    std::string text;
    Icon icon;
    bool operator==(const Box&) const = default;
};

using Blob = std::vector<unsigned char>;
using Files = std::map<std::string, Blob>;

class FakePlatform : public Platform {
public:
    // The script.
    std::optional<std::string> dialog_answer;  // nullopt: the player cancels
    std::set<std::string> directories;
    Files files;
    std::set<std::string> read_only, in_use;  // of `files`
    // Of type CUSTOM, distinct so that a mix-up shows. Only these exact
    // bytes hash to the digests the build compiled in.
    std::map<unsigned, Blob> resources = intact_resources();
    static std::map<unsigned, Blob> intact_resources();
    // The operation, counted from 0 in `log`, that fails, or where the power
    // is cut: from there on nothing happens, and nothing is shown, until
    // `power_on()`. A cut inside stage_file leaves half the file.
    std::optional<std::size_t> fail_at, cut_at;
    void power_on() { cut_at.reset(), powered = true; }
    GamePlaces places;

    // What happened.
    std::vector<Box> boxes;
    std::vector<std::pair<Op, std::string>> log;
    std::vector<std::string> reasons;
    std::vector<std::string> dialog_starts;  // where each folder dialog opened
    std::vector<std::string> written;        // staged files, in order
    std::string current_directory = "C:\\";
    std::optional<int> exit_code;  // set when the program ended

    void message_box(std::string_view text, Icon icon) override {
        if (powered) boxes.push_back({std::string(text), icon});
    }
    void explain(std::string_view reason) override { reasons.emplace_back(reason); }
    std::optional<std::string> browse_for_folder(const FolderRequest& request) override {
        dialog_starts.push_back(request.start);
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
    FileState file_state(const std::string& path) override;
    bool stage_file(const std::string& name, const std::string& like, Bytes bytes) override;
    bool move_file(const std::string& from, const std::string& to) override;
    bool flush_folder(const std::string& path) override;
    std::optional<Digest> sha256(Bytes bytes) override;
    std::optional<Bytes> read_resource(std::string_view type, unsigned id) override;
    void open_document(std::string_view) override {}
    void end_program(int code) override {
        if (powered) exit_code = code;
    }

private:
    // Logs the operation; false when it is to fail or the power is off.
    bool proceed(Op op, const std::string& path);
    std::string key(const std::string& path) const;
    bool powered = true;
};

}  // namespace veldor::testing
