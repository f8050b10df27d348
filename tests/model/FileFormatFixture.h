#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // Loads a <corps> document made of `body`.
    void LoadBody(const std::string& body)
    {
        ASSERT_TRUE(m_timeline.LoadFile(Write("in.xml", "<?xml version=\"1.0\"?><corps>" + body + "</corps>")));
    }

    const Segment& OnlySegment() const
    {
        return *m_timeline.m_tracks.GetTrack(0)->GetSegments().front();
    }

    std::filesystem::path m_dir;
    RecordingPrompt m_prompt;
    CTimeline m_timeline;
};
