#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

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

} // namespace

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
