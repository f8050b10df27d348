#pragma once

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "FileContents.h"
#include "Timeline.h"

// Records what the model asks and tells instead of showing it.
struct RecordingPrompt : UserPrompt {
    std::vector<std::string> texts; // asked, answered OK
    bool Confirm(const std::string& text) override
    {
        texts.push_back(text);
        return true;
    }
    std::vector<std::string> informed; // told
    void Inform(const std::string& text) override { informed.push_back(text); }
};

// A timeline whose prompts are recorded, with a private folder for its files.
class FileFormat : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path()
            / ("quill-file-" + std::to_string(::getpid()) + "-"
               + testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
        m_timeline.SetUserPrompt(&m_prompt);
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::permissions(m_dir, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(m_dir, ignored);
    }

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

    std::string Write(const std::string& name, const std::string& content) const
    {
        std::ofstream(Path(name), std::ios::binary) << content;
        return Path(name);
    }

    static std::string Read(const std::string& path) { return ReadFileContents(path); }

    // Loads a <corps> document made of `body`.
    void LoadBody(const std::string& body)
    {
        ASSERT_TRUE(m_timeline.LoadFile(Write("in.xml", "<?xml version=\"1.0\"?><corps>" + body + "</corps>")));
    }

    const Segment& OnlySegment() const
    {
        return *m_timeline.Tracks().GetTrack(0)->GetSegments().front();
    }

    // The names in the test's folder, sorted.
    std::vector<std::string> FileNames() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // Runs `work` in a child process as a user without privileges, so that a
    // permission check means the same when the tests run as root (CI does):
    // root writes any file. As root the child becomes nobody, after the
    // test's folder and files have been given to it. The child's answer, or
    // none when it could not be run as such a user.
    std::optional<bool> AsUnprivilegedUser(const std::function<bool()>& work) const
    {
        constexpr uid_t kNobody = 65534;
        const bool root = ::geteuid() == 0;
        if (root) {
            if (::lchown(m_dir.c_str(), kNobody, kNobody) != 0)
                return std::nullopt;
            for (const auto& entry : std::filesystem::recursive_directory_iterator(m_dir)) {
                if (::lchown(entry.path().c_str(), kNobody, kNobody) != 0)
                    return std::nullopt;
            }
        }
        std::fflush(nullptr);
        const pid_t child = ::fork();
        if (child < 0)
            return std::nullopt;
        if (child == 0) {
            if (root
                && (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0
                    || ::setresuid(kNobody, kNobody, kNobody) != 0 || ::geteuid() != kNobody))
                ::_exit(2);
            ::_exit(work() ? 0 : 1);
        }
        int status = 0;
        if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) > 1)
            return std::nullopt;
        return WEXITSTATUS(status) == 0;
    }

    std::filesystem::path m_dir;
    RecordingPrompt m_prompt;
    CTimeline m_timeline;
};
