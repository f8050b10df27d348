// Loads followed on recorded sequences of the core's events: the orders the
// core may report them in, without a core.
#include <cmath>
#include <string>
#include <vector>

#include <mpv/client.h>

#include <gtest/gtest.h>

#include "FileOpening.h"
#include "LoadWatch.h"

namespace {

constexpr uint64_t kLoadTag = 2;
constexpr uint64_t kFactsTag = 8;
// Tags of the same questions asked for an earlier load.
constexpr uint64_t kEarlierLoad = 1 << 8;
// Our entry, and the file the core held before it.
constexpr int64_t kOurs = 7;
constexpr int64_t kPrevious = 6;
constexpr const char* kPath = "/videos/clip.mp4";

// One event of a recording, as the core reports it.
struct Step {
    enum Kind {
        Reply,         // to our load command, naming `entry`
        ReplyFails,    // to our load command
        Start,         // of `entry`
        Loaded,        // the file started last is open
        Restart,       // a frame of the file opened last is shown
        End,           // of `entry`, failing to read it
        EndNotMedia,   // of `entry`: not media at all
        Shutdown,
        Answers,       // every question about the file, as a 2 s video answers; `property` answers `value`
        AnswerFails,   // every question, `property` unanswered
        Answer,        // `property` only, as a video answers
        EarlierAnswers // every question, tagged for an earlier load
    } kind;
    int64_t entry = 0;
    const char* property = nullptr;
    double value = 0.0;
};

Step ReplyWith(int64_t entry) { return {Step::Reply, entry}; }
Step StartOf(int64_t entry) { return {Step::Start, entry}; }
Step EndOf(int64_t entry) { return {Step::End, entry}; }
Step Of(Step::Kind kind) { return {kind}; }
Step AnswersWith(const char* property, double value) { return {Step::Answers, 0, property, value}; }
Step AnswerOf(const char* property) { return {Step::Answer, 0, property}; }
Step Unanswered(const char* property) { return {Step::AnswerFails, 0, property}; }

double VideoAnswer(const std::string& property)
{
    if (property == "duration")
        return 2.0;
    if (property == "vid")
        return 1;
    if (property == "container-fps")
        return 25.0;
    return 0; // not a still picture
}

// Feeds a recording to one FileOpening, answering the questions it asks with
// the tags it gave them.
class Recording {
public:
    explicit Recording(bool questionsGoOut)
        : m_opening(kPath, kLoadTag, kFactsTag,
                    [this, questionsGoOut](uint64_t reply, const char* name, mpv_format format) {
                        if (questionsGoOut)
                            m_asked.push_back({reply, name, format, false});
                        return questionsGoOut;
                    })
    {
    }
    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;

    void Play(const Step& step)
    {
        switch (step.kind) {
        case Step::Reply:
        case Step::ReplyFails:
            return PlayReply(step.kind == Step::Reply ? step.entry : -1);
        case Step::Start: {
            mpv_event_start_file start{step.entry};
            return Send(MPV_EVENT_START_FILE, &start);
        }
        case Step::Loaded:
            return Send(MPV_EVENT_FILE_LOADED);
        case Step::Restart:
            return Send(MPV_EVENT_PLAYBACK_RESTART);
        case Step::End:
        case Step::EndNotMedia: {
            mpv_event_end_file end{};
            end.reason = MPV_END_FILE_REASON_ERROR;
            end.error = step.kind == Step::EndNotMedia ? MPV_ERROR_UNKNOWN_FORMAT : MPV_ERROR_LOADING_FAILED;
            end.playlist_entry_id = step.entry;
            return Send(MPV_EVENT_END_FILE, &end);
        }
        case Step::Shutdown:
            return Send(MPV_EVENT_SHUTDOWN);
        case Step::Answer:
            return PlayAnswer(step.property, VideoAnswer(step.property), false, 0);
        case Step::Answers:
        case Step::AnswerFails:
        case Step::EarlierAnswers: {
            EXPECT_FALSE(m_asked.empty()) << "answers before any question";
            for (const Asked& question : std::vector<Asked>(m_asked)) {
                if (question.answered)
                    continue;
                const bool named = step.property != nullptr && question.name == step.property;
                const double value = named ? step.value : VideoAnswer(question.name);
                PlayAnswer(question.name.c_str(), value, named && step.kind == Step::AnswerFails,
                           step.kind == Step::EarlierAnswers ? kEarlierLoad : 0);
            }
            return;
        }
        }
    }

    const FileOpening& Opening() const { return m_opening; }

private:
    struct Asked {
        uint64_t reply;
        std::string name;
        mpv_format format;
        bool answered = false;
    };

    // `entry` < 0: the command failed.
    void PlayReply(int64_t entry)
    {
        char key[] = "playlist_entry_id";
        char* keys[] = {key};
        mpv_node value{};
        value.format = MPV_FORMAT_INT64;
        value.u.int64 = entry;
        mpv_node_list list{1, &value, keys};
        mpv_event_command command{};
        command.result.format = entry < 0 ? MPV_FORMAT_NONE : MPV_FORMAT_NODE_MAP;
        if (entry >= 0)
            command.result.u.list = &list;
        Send(MPV_EVENT_COMMAND_REPLY, &command, entry < 0 ? MPV_ERROR_LOADING_FAILED : 0, kLoadTag);
    }

    void PlayAnswer(const char* name, double value, bool fails, uint64_t tagOffset)
    {
        Asked* asked = nullptr;
        for (Asked& question : m_asked)
            if (question.name == name)
                asked = &question;
        if (asked == nullptr) {
            ADD_FAILURE() << name << " was never asked";
            return;
        }
        double real = value;
        int flag = value != 0.0 ? 1 : 0;
        int64_t whole = std::llround(value);
        mpv_event_property property{asked->name.c_str(), fails ? MPV_FORMAT_NONE : asked->format, nullptr};
        if (!fails)
            property.data = asked->format == MPV_FORMAT_DOUBLE ? static_cast<void*>(&real)
                            : asked->format == MPV_FORMAT_FLAG ? static_cast<void*>(&flag)
                                                               : static_cast<void*>(&whole);
        asked->answered = tagOffset == 0;
        Send(MPV_EVENT_GET_PROPERTY_REPLY, &property, fails ? MPV_ERROR_PROPERTY_UNAVAILABLE : 0,
             asked->reply + tagOffset);
    }

    void Send(mpv_event_id id, void* data = nullptr, int error = 0, uint64_t tag = 0)
    {
        mpv_event event{};
        event.event_id = id;
        event.error = error;
        event.reply_userdata = tag;
        event.data = data;
        m_opening.Follow(event);
    }

    std::vector<Asked> m_asked;
    FileOpening m_opening;
};

struct Sequence {
    const char* label;
    std::vector<Step> steps;
    FileOpening::State outcome;
    // Once opened: whether its first frame was shown before it was taken.
    bool shown = false;
    // The core refuses every question about the file.
    bool questionsRefused = false;
};

using State = FileOpening::State;

const char* Name(State state)
{
    switch (state) {
    case State::Waiting:
        return "waiting";
    case State::Opened:
        return "opened";
    case State::NotAVideo:
        return "not a video";
    case State::CannotOpen:
        return "cannot open";
    }
    return "?";
}

} // namespace

TEST(LoadWatch, OpensOnlyOnItsOwnEntryWhateverTheOrderOfEvents)
{
    {
        LoadWatch watch; // the usual order
        watch.OnReply(0, 7);
        watch.OnStartFile(7);
        EXPECT_EQ(watch.GetState(), LoadWatch::State::Waiting);
        watch.OnFileLoaded();
        EXPECT_EQ(watch.GetState(), LoadWatch::State::Opened);
        EXPECT_EQ(watch.Entry(), 7);
    }
    {
        LoadWatch watch; // the file opens before the reply names it
        watch.OnStartFile(4);
        watch.OnFileLoaded();
        watch.OnStartFile(5);
        watch.OnFileLoaded();
        EXPECT_EQ(watch.GetState(), LoadWatch::State::Waiting);
        watch.OnReply(0, 5);
        EXPECT_EQ(watch.GetState(), LoadWatch::State::Opened);
    }
    {
        LoadWatch watch; // an earlier file opening and ending is not ours
        watch.OnReply(0, 9);
        watch.OnStartFile(8);
        watch.OnFileLoaded();
        watch.OnEndFile(8, false);
        EXPECT_EQ(watch.GetState(), LoadWatch::State::Waiting);
        watch.OnStartFile(9);
        watch.OnFileLoaded();
        EXPECT_EQ(watch.GetState(), LoadWatch::State::Opened);
        watch.OnEndFile(9, true); // afterwards: no longer a load failure
        EXPECT_EQ(watch.GetState(), LoadWatch::State::Opened);
    }
}

TEST(LoadWatch, KnowsWhenItsOwnFirstFrameWasShownWhenEverTheReplyComes)
{
    {
        LoadWatch watch; // the previous file's frame, then ours after the reply
        watch.OnStartFile(4);
        watch.OnPlaybackRestart();
        watch.OnFileLoaded();
        watch.OnReply(0, 4);
        EXPECT_EQ(watch.GetState(), LoadWatch::State::Opened);
        EXPECT_FALSE(watch.Shown());
        watch.OnPlaybackRestart();
        EXPECT_TRUE(watch.Shown());
    }
    {
        LoadWatch watch; // shown before the reply named the entry
        watch.OnStartFile(6);
        watch.OnFileLoaded();
        watch.OnPlaybackRestart();
        EXPECT_FALSE(watch.Shown());
        watch.OnReply(0, 6);
        EXPECT_TRUE(watch.Shown());
    }
    {
        LoadWatch watch; // a file loaded and shown, but an earlier one than ours
        watch.OnReply(0, 8);
        watch.OnStartFile(7);
        watch.OnFileLoaded();
        watch.OnPlaybackRestart();
        watch.OnStartFile(8);
        watch.OnPlaybackRestart();
        EXPECT_FALSE(watch.Shown());
    }
}

TEST(LoadWatch, FailsOnItsEntryEndingTheReplyFailingOrTheCoreGoing)
{
    {
        LoadWatch watch;
        watch.OnStartFile(3);
        watch.OnEndFile(3, true); // before the reply
        watch.OnReply(0, 3);
        EXPECT_EQ(watch.GetState(), LoadWatch::State::Failed);
        EXPECT_TRUE(watch.NotMedia());
    }
    {
        LoadWatch watch;
        watch.OnReply(0, 3);
        watch.OnEndFile(3, false);
        EXPECT_EQ(watch.GetState(), LoadWatch::State::Failed);
        EXPECT_FALSE(watch.NotMedia());
    }
    {
        LoadWatch watch;
        watch.OnReply(-1, 0);
        EXPECT_EQ(watch.GetState(), LoadWatch::State::Failed);
    }
    {
        LoadWatch watch;
        watch.OnShutdown();
        EXPECT_EQ(watch.GetState(), LoadWatch::State::Failed);
    }
}

TEST(FileOpening, EndsAsTheRecordedEventsSayWhateverTheirOrder)
{
    const Step reply = ReplyWith(kOurs), start = StartOf(kOurs), loaded = Of(Step::Loaded),
               restart = Of(Step::Restart), answers = Of(Step::Answers);
    const std::vector<Sequence> sequences = {
        {"usual order", {reply, start, loaded, answers}, State::Opened},
        {"reply after the file opened", {start, loaded, reply, answers}, State::Opened},
        {"reply between start and load", {start, reply, loaded, answers}, State::Opened},
        {"first frame before the answers", {reply, start, loaded, restart, answers}, State::Opened, true},
        {"first frame between the answers",
         {reply, start, loaded, AnswerOf("duration"), restart, answers},
         State::Opened,
         true},
        {"first frame after the answers", {reply, start, loaded, answers, restart}, State::Opened, false},
        {"first frame before the reply named ours", {start, loaded, restart, reply, answers}, State::Opened, true},
        {"the previous file's frame between our start and load",
         {start, restart, loaded, reply, answers},
         State::Opened,
         false},
        {"the previous file opening and ending first",
         {reply, StartOf(kPrevious), loaded, restart, EndOf(kPrevious), start, loaded, answers},
         State::Opened,
         false},
        {"another entry ending during the answers", {reply, start, loaded, EndOf(kPrevious), answers}, State::Opened},
        {"our end after the answers is not the load's", {reply, start, loaded, answers, EndOf(kOurs)}, State::Opened},
        {"not media, ending before the reply", {start, {Step::EndNotMedia, kOurs}, reply}, State::NotAVideo},
        {"not media, ending after the reply", {reply, start, {Step::EndNotMedia, kOurs}}, State::NotAVideo},
        {"ending unread before it opened", {reply, start, EndOf(kOurs)}, State::CannotOpen},
        {"ending while the answers come", {reply, start, loaded, EndOf(kOurs), answers}, State::CannotOpen},
        {"the load command refused", {Of(Step::ReplyFails), start, loaded}, State::CannotOpen},
        {"the core going before it opened", {reply, start, Of(Step::Shutdown)}, State::CannotOpen},
        {"the core going while the answers come", {reply, start, loaded, Of(Step::Shutdown)}, State::CannotOpen},
        {"a still picture", {reply, start, loaded, AnswersWith("current-tracks/video/image", 1)}, State::NotAVideo},
        {"sound only", {reply, start, loaded, AnswersWith("vid", 0)}, State::NotAVideo},
        {"no duration", {reply, start, loaded, Unanswered("duration")}, State::NotAVideo},
        {"no frame rate: still a video", {reply, start, loaded, Unanswered("container-fps")}, State::Opened},
        {"questions refused", {reply, start, loaded}, State::NotAVideo, false, true},
        {"not opened yet", {reply, start}, State::Waiting},
        {"some answers still to come", {reply, start, loaded, AnswerOf("duration"), restart}, State::Waiting},
        {"answers meant for an earlier load", {reply, start, loaded, Of(Step::EarlierAnswers)}, State::Waiting},
        {"our file opening with no reply yet", {start, loaded, restart}, State::Waiting},
    };
    for (const Sequence& sequence : sequences) {
        SCOPED_TRACE(sequence.label);
        Recording recording(!sequence.questionsRefused);
        for (const Step& step : sequence.steps)
            recording.Play(step);
        const FileOpening& opening = recording.Opening();
        ASSERT_STREQ(Name(opening.GetState()), Name(sequence.outcome));
        if (sequence.outcome != State::Opened)
            continue;
        const OpenedFile file = opening.Opened();
        EXPECT_EQ(file.path, kPath);
        EXPECT_EQ(file.entry, kOurs);
        EXPECT_EQ(file.shown, sequence.shown);
        EXPECT_EQ(file.facts.duration, 2.0);
        EXPECT_EQ(file.facts.videoTrack, 1);
    }
}
