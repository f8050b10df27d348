#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include <QtGlobal>

#include "ErrorBoundary.h"
#include "PlayerError.h"

namespace {

struct Reports {
    std::vector<std::string> texts;
    std::function<void(const std::string&)> Sink()
    {
        return [this](const std::string& t) { texts.push_back(t); };
    }
};

// What reaches Qt's message handler while it lives.
class MessageLog {
public:
    MessageLog() { s_lines = &m_lines; m_previous = qInstallMessageHandler(&MessageLog::Take); }
    ~MessageLog()
    {
        qInstallMessageHandler(m_previous);
        s_lines = nullptr;
    }
    const std::vector<std::string>& Lines() const { return m_lines; }

private:
    static void Take(QtMsgType, const QMessageLogContext&, const QString& text)
    {
        if (s_lines != nullptr)
            s_lines->push_back(text.toStdString());
    }
    static inline std::vector<std::string>* s_lines = nullptr;
    std::vector<std::string> m_lines;
    QtMessageHandler m_previous = nullptr;
};

struct ThrowCase {
    std::function<void()> work;
    std::string diagnostic; // what a report names
};

} // namespace

// The box hides what the user cannot use; the log keeps it for a report.
TEST(ErrorBoundary, LogsTheTypeAndMessageOfWhatWasThrown)
{
    const std::vector<ThrowCase> cases = {
        {[] { throw std::out_of_range("vector::_M_range_check"); }, "std::out_of_range: vector::_M_range_check"},
        {[] { throw PlayerError("Impossible d'ouvrir la vidéo : /x.mp4"); },
         "PlayerError: Impossible d'ouvrir la vidéo : /x.mp4"},
        {[] { throw 42; }, "int"},
    };
    for (const ThrowCase& c : cases) {
        MessageLog log;
        Reports reports;
        EXPECT_FALSE(RunGuarded(c.work, reports.Sink()));
        EXPECT_EQ(log.Lines(), std::vector<std::string>{"Quillmark: exception " + c.diagnostic});
        EXPECT_EQ(reports.texts.size(), 1u);
    }
}

TEST(ErrorBoundary, ReportsPlayerTextAndHidesInternalOnes)
{
    Reports reports;
    EXPECT_TRUE(RunGuarded([] {}, reports.Sink()));
    EXPECT_TRUE(reports.texts.empty());

    EXPECT_FALSE(RunGuarded([] { throw PlayerError("Impossible d'ouvrir la vidéo : /x.mp4"); }, reports.Sink()));
    EXPECT_FALSE(RunGuarded([] { throw PlayerError(""); }, reports.Sink()));
    EXPECT_FALSE(RunGuarded([] { throw std::out_of_range("vector::_M_range_check"); }, reports.Sink()));
    EXPECT_FALSE(RunGuarded([] { throw 42; }, reports.Sink()));
    EXPECT_EQ(reports.texts, (std::vector<std::string>{"Impossible d'ouvrir la vidéo : /x.mp4",
                                                       "Erreur d'application interne.",
                                                       "Erreur d'application interne.",
                                                       "Erreur d'application interne."}));
}

TEST(ErrorBoundary, WorkStopsAtTheThrow)
{
    Reports reports;
    std::vector<int> steps;
    RunGuarded(
        [&] {
            steps.push_back(1);
            if (!steps.empty())
                throw PlayerError("x");
            steps.push_back(2);
        },
        reports.Sink());
    EXPECT_EQ(steps, (std::vector<int>{1}));
}
