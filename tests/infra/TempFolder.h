// A fresh folder for one test, removed with everything in it afterwards, and
// small helpers to write and read whole files byte for byte.
#pragma once

#include <filesystem>
#include <functional>
#include <set>
#include <string>

class TempFolder {
public:
    // `inMemory`: under /dev/shm when there is one, for tests that write
    // (and flush) files by the thousand.
    explicit TempFolder(bool inMemory = false);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Makes the folder the current one for the test's lifetime.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::string& path) { std::filesystem::current_path(path); }
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    std::filesystem::path previous_ = std::filesystem::current_path();
};

void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
std::set<std::string> FileNames(const std::string& folder);

// The exit status of `body` run in a child process, -1 when it did not exit.
// With `asNobody` a root parent runs it as user nobody, since root may write anything.
constexpr unsigned kNobody = 65534;
int RunInChild(const std::function<int()>& body, bool asNobody = false);
