// A scripted platform: an in-memory game folder, a folder dialog that answers
// from the script, message boxes recorded, and every file operation logged,
// so that a test can make any of them fail, or cut the power there. A cut
// loses what was not flushed: each folder's creations, renames and deletions
// since its last flush, those of folders a rename links together as one.
#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "payload/payloads.h"
#include "platform/platform.h"

namespace veldor::testing {

enum class Op {
    file_state,
    chdir,
    stage_file,
    move_file,
    delete_file,
    flush,
    folder,
    read,
    resource,
    sha256
};

using Box = std::pair<std::string, Icon>;
using Operation = std::pair<Op, std::string>;
using Blob = std::vector<unsigned char>;
using Files = std::map<std::string, Blob>;

// Of type custom, distinct so that a mix-up shows. Only these exact bytes
// hash to the digests the build compiled in.
inline std::map<unsigned, Blob> intact_resources() {
    return {
        {101, Blob(101, 101)}, {102, Blob(102, 102)}, {103, Blob(103, 103)}, {104, Blob(104, 104)}};
}

class FakePlatform : public Platform {
public:
    // The script.
    std::optional<std::string> dialog_answer;  // nullopt: the player cancels
    bool answer_yes = false;                   // to a question
    Elevation elevation;                       // what an elevated copy makes of an attempt
    std::set<std::string> directories;
    Files files;
    std::set<std::string> read_only, in_use, denied;  // of `files`
    std::set<std::string> linked;                     // of `directories`
    Fault injected = Fault::other;                    // what a failure at `fail_at` reports
    std::map<unsigned, Blob> resources = intact_resources();
    // The operations, counted from 0 in `log`, that fail, and the one where
    // the power is cut: from there on nothing happens, and nothing is shown,
    // until `power_on(lost)`, which loses the changes of each group of
    // unflushed folders whose bit is set in `lost` (groups in the order they
    // were first changed). A cut inside stage_file leaves half the file.
    std::set<std::size_t> fail_at;
    std::optional<std::size_t> cut_at;
    std::size_t unflushed_groups() const { return groups().size(); }
    void power_on(unsigned lost = 0) {
        const std::vector<int> order = groups();
        std::set<std::string> gone;
        for (const auto& [folder, group] : pending) {
            const auto bit = std::ranges::find(order, group) - order.begin();
            if (!(lost >> bit & 1)) continue;
            const auto& [old_files, old_dirs] = durable.at(folder);
            std::erase_if(files, [&](const auto& f) { return parent(f.first) == folder; });
            std::erase_if(directories, [&](const std::string& d) {
                return parent(d) == folder && !old_dirs.contains(d) && gone.insert(d).second;
            });
            files.insert(old_files.begin(), old_files.end());
            directories.insert(old_dirs.begin(), old_dirs.end());
        }
        // What was inside a folder whose making was lost is lost with it.
        for (const std::string& d : gone) {
            std::erase_if(files, [&](const auto& f) { return f.first.starts_with(d + "\\"); });
            std::erase_if(directories,
                          [&](const std::string& e) { return e.starts_with(d + "\\"); });
        }
        pending.clear(), durable.clear(), cut_at.reset(), powered = true;
    }
    GamePlaces places;

    // What happened.
    std::vector<Box> boxes;
    std::vector<std::pair<std::string, bool>> elevated;  // folder, restore
    std::vector<Operation> log;
    std::string cwd = "C:\\";      // the current directory
    std::optional<int> exit_code;  // set when the program ended

    void message_box(std::string_view text, Icon icon) override {
        if (powered) boxes.emplace_back(text, icon);
    }
    bool ask(std::string_view) override { return answer_yes; }
    Elevation run_elevated(const std::string& folder, bool restore) override {
        elevated.emplace_back(folder, restore);
        return elevation;
    }
    std::optional<std::string> browse_for_folder(const FolderRequest&) override {
        return dialog_answer;
    }
    GamePlaces game_places() override { return places; }
    std::vector<std::string> subfolders(const std::string& folder, std::size_t limit) override {
        const std::string prefix = normal(folder) + "\\";
        std::vector<std::string> found;
        for (const std::string& dir : directories)
            if (dir.starts_with(prefix) && dir.find('\\', prefix.size()) == std::string::npos &&
                found.size() < limit)
                found.push_back(dir);
        return found;
    }
    std::optional<std::string> read_small_file(const std::string& folder, std::string_view name,
                                               std::size_t limit) override {
        const auto found = files.find(normal(folder + "\\" + std::string(name)));
        if (found == files.end() || found->second.size() > limit) return std::nullopt;
        return std::string(found->second.begin(), found->second.end());
    }
    bool file_exists(const std::string& p) override { return powered && files.contains(key(p)); }
    bool directory_exists(const std::string& p) override {
        return powered && directories.contains(key(p));
    }
    std::optional<std::string> read_file(const std::string& path, std::size_t limit) override {
        const std::string k = key(path);
        const auto found = files.find(k);
        if (!proceed(Op::read, k) || found == files.end() || found->second.size() > limit)
            return std::nullopt;
        return std::string(found->second.begin(), found->second.end());
    }
    bool make_folder(const std::string& path) override {
        const std::string k = key(path);
        if (!proceed(Op::folder, k)) return false;
        if (directories.contains(k)) return true;
        if (files.contains(k) || !directories.contains(parent(k))) return failed(Fault::other);
        changed(k);
        return directories.insert(k).second;
    }
    bool remove_folder(const std::string& path) override {
        const std::string k = key(path);
        if (!proceed(Op::folder, k)) return false;
        const auto inside = [&](const std::string& p) { return p.starts_with(k + "\\"); };
        if (!directories.contains(k) || std::ranges::any_of(directories, inside) ||
            std::ranges::any_of(files, [&](const auto& f) { return inside(f.first); }))
            return failed(Fault::other);
        changed(k);
        pending.erase(k);  // its own changes go with it
        return directories.erase(k) == 1;
    }
    bool delete_file(const std::string& path) override {
        const std::string k = key(path);
        if (!proceed(Op::delete_file, k)) return false;
        if (read_only.contains(k)) return failed(Fault::read_only);
        if (in_use.contains(k)) return failed(Fault::in_use);
        if (!files.contains(k)) return failed(Fault::other);
        changed(k);
        return files.erase(k) == 1;
    }
    bool set_current_directory(const std::string& path) override {
        const std::string k = key(path);
        if (!proceed(Op::chdir, k)) return false;
        if (!directories.contains(k)) return failed(Fault::other);
        cwd = k;
        return true;
    }
    std::string current_directory() override { return cwd; }
    FileState file_state(const std::string& path) override {
        const std::string k = key(path);
        if (!proceed(Op::file_state, k)) return FileState::read_only;  // cannot be replaced
        if (directories.contains(k))
            return linked.contains(k) ? FileState::linked : FileState::other;
        if (!files.contains(k)) return FileState::absent;
        if (in_use.contains(k)) return FileState::in_use;
        if (denied.contains(k)) return FileState::denied;
        return read_only.contains(k) ? FileState::read_only : FileState::normal;
    }
    bool stage_file(const std::string& name, const std::string&, Bytes bytes) override {
        const std::string k = key(name);
        const bool done = proceed(Op::stage_file, k);
        if (log.size() - 1 == cut_at && !files.contains(k) && directories.contains(parent(k))) {
            changed(k);
            files[k] = Blob(bytes.begin(), bytes.begin() + std::ssize(bytes) / 2);
        }
        if (!done) return false;
        if (files.contains(k) || !directories.contains(parent(k))) return failed(Fault::other);
        changed(k);
        files[k] = Blob(bytes.begin(), bytes.end());
        return true;
    }
    bool move_file(const std::string& from, const std::string& to) override {
        const std::string source = key(from), target = key(to);
        if (!proceed(Op::move_file, source + " -> " + target)) return false;
        if (in_use.contains(source)) return failed(Fault::in_use);
        if (!files.contains(source) || files.contains(target) ||
            !directories.contains(parent(target)))
            return failed(Fault::other);
        changed(source), changed(target);
        // The two folders' changes are one from here on.
        const int joined = pending[parent(source)], other = pending[parent(target)];
        for (auto& [folder, group] : pending)
            if (group == other) group = joined;
        files[target] = std::move(files[source]);
        files.erase(source);
        return true;
    }
    bool flush_folder(const std::string& path) override {
        const std::string k = key(path);
        if (!proceed(Op::flush, k) || !directories.contains(k)) return false;
        if (const auto found = pending.find(k); found != pending.end()) {
            const int group = found->second;
            std::erase_if(pending, [&](const auto& p) { return p.second == group; });
        }
        return true;
    }
    // The build's digest for a payload's bytes; any other bytes get their
    // own, which differs from every payload's.
    std::optional<Digest> sha256(Bytes bytes) override {
        if (!proceed(Op::sha256, {})) return std::nullopt;
        for (const PayloadDigest& p : payload_digests)
            if (std::ranges::equal(bytes, intact_resources().at(p.id))) return p.sha256;
        Digest digest{0xFF};
        for (std::size_t i = 0; i < bytes.size(); ++i)
            digest[1 + i % 31] = static_cast<unsigned char>(digest[1 + i % 31] * 31 + bytes[i] + 1);
        digest[0] = static_cast<unsigned char>(bytes.size());
        return digest;
    }
    std::optional<Bytes> read_resource(std::string_view type, unsigned id) override {
        const auto found = resources.find(id);
        if (!proceed(Op::resource, std::to_string(id)) || type != "custom" ||
            found == resources.end())
            return std::nullopt;
        return Bytes(found->second);
    }
    Fault fault() const override { return last_fault; }
    void open_document(std::string_view) override {}
    void end_program(int code) override {
        if (powered) exit_code = code;
    }

private:
    // Logs the operation; false, with the injected fault, when it is to
    // fail or the power is off.
    bool proceed(Op op, const std::string& path) {
        const std::size_t index = log.size();
        log.emplace_back(op, path);
        if (index == cut_at) powered = false;
        return (powered && !fail_at.contains(index)) || failed(injected);
    }
    static std::string parent(const std::string& path) {
        std::string folder = path.substr(0, path.rfind('\\'));
        if (folder.size() == 2 && folder[1] == ':') folder += '\\';
        return folder;
    }
    // Before a change to `path`'s folder: what that folder held at its last flush.
    void changed(const std::string& path) {
        const std::string folder = parent(path);
        if (pending.contains(folder)) return;
        pending[folder] = next_group++;
        auto& [old_files, old_dirs] = durable[folder] = {};
        for (const auto& f : files)
            if (parent(f.first) == folder) old_files.insert(f);
        for (const std::string& d : directories)
            if (parent(d) == folder) old_dirs.insert(d);
    }
    std::vector<int> groups() const {
        std::vector<int> order;
        for (const auto& [folder, group] : pending)
            if (std::ranges::find(order, group) == order.end()) order.push_back(group);
        std::ranges::sort(order);
        return order;
    }
    bool failed(Fault fault) {
        last_fault = fault;
        return false;
    }
    // Paths without a doubled or trailing separator.
    static std::string normal(const std::string& path) {
        std::string out;
        for (char c : path)
            if (!(c == '\\' && !out.empty() && out.back() == '\\')) out += c;
        if (out.size() > 3 && out.back() == '\\') out.pop_back();
        return out;
    }
    // Absolute, or relative to the current directory.
    std::string key(const std::string& path) const {
        const bool absolute = path.starts_with('\\') || (path.size() > 1 && path[1] == ':');
        return normal(absolute ? path : cwd + "\\" + path);
    }
    bool powered = true;
    Fault last_fault = Fault::none;
    std::map<std::string, int> pending;  // unflushed folders and their groups
    int next_group = 0;
    std::map<std::string, std::pair<Files, std::set<std::string>>> durable;  // by folder
};

}  // namespace veldor::testing
